// The playground's script editor: CodeMirror with Lua highlighting and line
// numbers, bundled into editor.js at build time (web/package.json). A
// failing run's line is marked through CodeMirror's lint diagnostics.
import {defaultKeymap, history, historyKeymap, indentWithTab} from '@codemirror/commands';
import {bracketMatching, HighlightStyle, indentOnInput, StreamLanguage,
        syntaxHighlighting} from '@codemirror/language';
import {drawSelection, EditorView, highlightActiveLine, highlightActiveLineGutter,
        highlightSpecialChars, keymap, lineNumbers} from '@codemirror/view';
import {lua} from '@codemirror/legacy-modes/mode/lua';
import {oneDark} from '@codemirror/theme-one-dark';
import {lintGutter, setDiagnostics} from '@codemirror/lint';
import {Prec} from '@codemirror/state';
import {tags} from '@lezer/highlight';

// One Dark's comments and line numbers are too faint on its background;
// these read at 6:1.
const kReadableGrey = '#a3abb9';
const readableComments = [
  Prec.high(syntaxHighlighting(HighlightStyle.define([{tag: tags.comment, color: kReadableGrey}]))),
  Prec.high(EditorView.theme({'.cm-gutters': {color: kReadableGrey}}, {dark: true})),
];

// What a script editor needs, without the code completion, folding and
// search panel of CodeMirror's basic setup, which weigh more than they give
// a short script.
const editing = [lineNumbers(), highlightActiveLineGutter(), highlightSpecialChars(), history(),
                 drawSelection(), indentOnInput(), bracketMatching(), highlightActiveLine(),
                 keymap.of([...defaultKeymap, ...historyKeymap, indentWithTab])];

// An editor in `parent` holding `text`; `onChange` is called after edits.
export function createEditor(parent, text, onChange) {
  return new EditorView({
    doc: text,
    parent,
    extensions: [editing, StreamLanguage.define(lua), oneDark, readableComments, lintGutter(),
                 EditorView.contentAttributes.of({'aria-label': 'script'}),
                 EditorView.updateListener.of((update) => {
                   if (update.docChanged) onChange();
                 })],
  });
}

export function getText(view) {
  return view.state.doc.toString();
}

export function setText(view, text) {
  view.dispatch({changes: {from: 0, to: view.state.doc.length, insert: text}});
}

// Marks line `line` (from 1) with `message`, or clears the marks when
// `line` is 0; a line past the end marks the last.
export function markError(view, line, message) {
  const doc = view.state.doc;
  const diagnostics = [];
  if (line > 0) {
    const marked = doc.line(Math.min(line, doc.lines));
    diagnostics.push({from: marked.from, to: marked.to, severity: 'error', message});
  }
  view.dispatch(setDiagnostics(view.state, diagnostics));
}
