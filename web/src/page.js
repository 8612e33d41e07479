// The playground page, or its test mode for machines when the address has
// ?script=URL (see test_mode.js).
import {playground} from './playground.js';
import {testMode} from './test_mode.js';

const params = new URLSearchParams(location.search);
if (params.has('script')) testMode(params);
else playground();
