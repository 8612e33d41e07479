// The playground's script editor: CodeMirror with Lua highlighting and line
// numbers, bundled into editor.js at build time (web/package.json).
import {EditorView, basicSetup} from 'codemirror';
import {StreamLanguage} from '@codemirror/language';
import {lua} from '@codemirror/legacy-modes/mode/lua';
import {oneDark} from '@codemirror/theme-one-dark';

// An editor in `parent` holding `text`; `onChange` is called after edits.
export function createEditor(parent, text, onChange) {
  return new EditorView({
    doc: text,
    parent,
    extensions: [basicSetup, StreamLanguage.define(lua), oneDark,
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
