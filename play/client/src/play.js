// The playground's page: the student's editor, Run and Hand in (index.html), and the teacher's view of
// the class (teacher.html). Everything talks to easel-play's API on the same server.
import {EditorView, basicSetup} from 'codemirror';
import {keymap} from '@codemirror/view';
import {cpp} from '@codemirror/lang-cpp';
import {lintGutter, setDiagnostics} from '@codemirror/lint';

const $ = (id) => document.getElementById(id);

async function api(method, path, body) {
  const response = await fetch(path, {
    method, headers: body === undefined ? {} : {'Content-Type': 'application/json'},
    body: body === undefined ? undefined : JSON.stringify(body),
  });
  const data = await response.json().catch(() => ({}));
  if (!response.ok) throw Object.assign(new Error(data.error || `${response.status} ${response.statusText}`),
                                        {status: response.status});
  return data;
}

// ------------------------------------------------------------------------------------------ students

const files = new Map();  // name -> {content, saved}
let current = null;
let editor = null;

function say(text, isError) {
  $('status').textContent = text;
  $('status').className = isError ? 'error' : '';
}

function keepCurrent() {
  if (current) files.get(current).content = editor.state.doc.toString();
}

function open(name) {
  keepCurrent();
  current = name;
  editor.dispatch({changes: {from: 0, to: editor.state.doc.length, insert: files.get(name).content}});
  $('file').value = name;
}

function listFiles() {
  $('file').replaceChildren(...[...files.keys()].map((name) => new Option(name, name)));
  $('file').value = current;
}

async function saveAll() {
  keepCurrent();
  for (const [name, file] of files) {
    if (file.content !== file.saved) {
      await api('PUT', `/api/files/${encodeURIComponent(name)}`, {content: file.content});
      file.saved = file.content;
    }
  }
}

// Compiler messages of the open file on their lines; every message in the log below the program.
function markDiagnostics(found) {
  const doc = editor.state.doc;
  const marks = found.filter((d) => d.file === current && d.severity !== 'note' && d.line <= doc.lines).map((d) => {
    const line = doc.line(d.line);
    const from = Math.min(line.from + Math.max(d.column - 1, 0), line.to);
    return {from, to: Math.max(from, line.to), severity: d.severity, message: d.message};
  });
  editor.dispatch(setDiagnostics(editor.state, marks));
}

// Where the program is shown: its own page in a frame of an origin of its own.
function showProgram(page) {
  $('program').src = page || 'about:blank';
}

async function run() {
  $('run').disabled = true;
  try {
    say('Saving…');
    await saveAll();
    say('Compiling…');
    const result = await api('POST', '/api/run');
    markDiagnostics(result.diagnostics);
    $('log').textContent = result.log;
    if (result.status === 'ok') {
      showProgram(result.page);
      say(`Running (compiled in ${result.seconds} s)`);
    } else {
      showProgram(null);
      say(result.status === 'compile-error' ? 'It does not compile: see the marked lines'
                                            : `The compiler was stopped (${result.status})`, true);
    }
  } catch (error) {
    say(error.message, true);
  } finally {
    $('run').disabled = false;
  }
}

async function handIn() {
  try {
    await saveAll();
    const result = await api('POST', '/api/handin');
    say(`Handed in: ${result.files.join(', ')}`);
  } catch (error) {
    say(error.message, true);
  }
}

async function newFile() {
  const name = prompt('Name of the new file (for example shapes.cpp)');
  if (!name) return;
  if (!files.has(name)) {
    try {
      await api('PUT', `/api/files/${encodeURIComponent(name)}`, {content: ''});
    } catch (error) {
      say(error.message, true);
      return;
    }
    files.set(name, {content: '', saved: ''});
  }
  keepCurrent();
  current = name;
  listFiles();
  open(name);
}

async function studentPage(me) {
  $('student').hidden = false;
  $('who').textContent = me.name;
  editor = new EditorView({
    parent: $('editor'),
    extensions: [basicSetup, cpp(), lintGutter(),
                 keymap.of([{key: 'Mod-Enter', run: () => { run(); return true; }}])],
  });
  const {files: list} = await api('GET', '/api/files');
  for (const file of list) files.set(file.name, {content: file.content, saved: file.content});
  current = list.some((f) => f.name === 'main.cpp') ? 'main.cpp' : list[0].name;
  listFiles();
  open(current);
  $('file').addEventListener('change', () => open($('file').value));
  $('run').addEventListener('click', run);
  $('hand-in').addEventListener('click', handIn);
  $('new-file').addEventListener('click', newFile);
}

function signInForm() {
  $('signin').hidden = false;
  $('signin').addEventListener('submit', async (event) => {
    event.preventDefault();
    try {
      const me = await api('POST', '/api/signin', {name: $('name').value.trim(), secret: $('secret').value});
      if (me.teacher) {
        location.href = 'teacher.html';
        return;
      }
      $('signin').hidden = true;
      await studentPage(me);
    } catch (error) {
      $('signin-error').textContent = error.message;
    }
  });
}

// ------------------------------------------------------------------------------------------ teacher

const when = (seconds) => (seconds ? new Date(seconds * 1000).toLocaleString() : '');

function cells(row, values) {
  for (const value of values) row.insertCell().textContent = value;
  return row;
}

async function listStudents() {
  const {students} = await api('GET', '/api/teacher/students');
  $('students').tBodies[0].replaceChildren(...students.map((s) => cells(document.createElement('tr'), [
    s.name, s.last_run ? `${s.last_run.status}, ${when(s.last_run.started)}` : '',
    s.handed_in ? `${when(s.handed_in.at)}: ${s.handed_in.files.join(', ')}` : ''])));
}

async function gradeClass() {
  $('grade').disabled = true;
  $('grade-status').textContent = 'Grading…';
  try {
    const result = await api('POST', '/api/teacher/grade');
    $('grade-status').textContent = result.summary;
    const scripts = [...new Set(result.rows.map((r) => r.script))];
    const table = $('grades');
    table.tHead.replaceChildren(cells(document.createElement('tr'), ['submission', ...scripts]));
    const bySubmission = new Map();
    for (const r of result.rows) {
      if (!bySubmission.has(r.submission)) bySubmission.set(r.submission, {});
      bySubmission.get(r.submission)[r.script] = r;
    }
    table.tBodies[0].replaceChildren(...[...bySubmission].map(([name, runs]) => {
      const row = cells(document.createElement('tr'), [name]);
      for (const script of scripts) {
        const cell = row.insertCell();
        const r = runs[script];
        cell.textContent = r ? r.status + (r.reason ? `: ${r.reason}` : '') : '';
        cell.className = r && r.status === 'passed' ? 'passed' : 'failed';
      }
      return row;
    }));
    table.hidden = false;
    $('report-link').hidden = !result.report;
  } catch (error) {
    $('grade-status').textContent = error.message;
  } finally {
    $('grade').disabled = false;
  }
}

async function teacherPage() {
  try {
    const me = await api('GET', '/api/me');
    if (!me.teacher) throw new Error('This page is the teacher\'s.');
    await listStudents();
    $('grade').addEventListener('click', gradeClass);
  } catch (error) {
    $('teacher-error').innerHTML = '';
    $('teacher-error').append(error.message + ' ', Object.assign(document.createElement('a'),
                                                                 {href: './', textContent: 'Sign in'}));
  }
}

// ------------------------------------------------------------------------------------------ start

if (document.body.classList.contains('teacher')) {
  teacherPage();
} else {
  api('GET', '/api/me').then((me) => (me.teacher ? (location.href = 'teacher.html') : studentPage(me)),
                             () => signInForm());
}
