// The page's two forms: each hands its file to the module and shows what vornak-batch would
// print. Nothing is sent anywhere and nothing is stored.
import { loadCore } from './core.mjs';
import { parseCsv } from './csv_rows.mjs';

const results = document.getElementById('results');
const messages = document.getElementById('messages');
const report = document.getElementById('report');
const tables = document.getElementById('tables');
const download = document.getElementById('download');
let downloadUrl;

// A file from the form's file box, or the one dropped onto its drop zone.
function watchDrops(form) {
  const zone = form.querySelector('label.drop');
  const input = zone.querySelector('input[type=file]');
  zone.addEventListener('dragover', (event) => { event.preventDefault(); zone.classList.add('over'); });
  zone.addEventListener('dragleave', () => zone.classList.remove('over'));
  zone.addEventListener('drop', (event) => {
    event.preventDefault();
    zone.classList.remove('over');
    if (event.dataTransfer.files.length > 0) {
      input.files = event.dataTransfer.files;
      form.requestSubmit();
    }
  });
}

async function fileOf(form) {
  const file = form.elements.file.files[0];
  if (!file)
    return null;
  // The bytes as they are: the reader checks their encoding itself.
  return { name: file.name, text: new Uint8Array(await file.arrayBuffer()) };
}

function show(run, title) {
  results.hidden = false;
  messages.textContent = run.messages;
  report.textContent = run.report;
  tables.replaceChildren();
  if (downloadUrl)
    URL.revokeObjectURL(downloadUrl);
  download.hidden = !run.ok;
  if (!run.ok)
    return;
  downloadUrl = URL.createObjectURL(new Blob([run.csv], { type: 'text/csv' }));
  download.href = downloadUrl;
  download.download = title.replace(/\.[^.]*$/, '') + '.csv';
  const rows = parseCsv(run.csv);
  const byGroup = new Map();
  for (const row of rows) {
    const key = row.group ?? '';
    if (!byGroup.has(key))
      byGroup.set(key, []);
    byGroup.get(key).push(row);
  }
  for (const [group, groupRows] of byGroup)
    tables.append(tableOf(group, groupRows));
}

function tableOf(group, rows) {
  const table = document.createElement('table');
  if (group !== '')
    table.createCaption().textContent = 'Group: ' + group;
  const names = Object.keys(rows[0]).filter((name) => name !== 'group');
  const head = table.createTHead().insertRow();
  for (const name of names)
    head.append(Object.assign(document.createElement('th'), { textContent: name }));
  const body = table.createTBody();
  for (const row of rows) {
    const line = body.insertRow();
    for (const name of names)
      line.insertCell().textContent = row[name];
  }
  return table;
}

// Runs the form's computation on its file when it is submitted.
function onSubmit(form, noFileMessage, run) {
  form.addEventListener('submit', async (event) => {
    event.preventDefault();
    const file = await fileOf(form);
    if (!file) {
      show({ ok: false, messages: noFileMessage, report: '', csv: '' }, '');
      return;
    }
    show(run(await loadCore(), form.elements, file), file.name);
  });
}

const worksheet = document.getElementById('worksheet');
onSubmit(worksheet, 'Choose a frequency file.', (core, f, file) =>
  core.runWorksheet(f.min.value, f.max.value, f.n.value, f.method.value, f.notes.value, file.name, file.text));

const scores = document.getElementById('scores');
onSubmit(scores, 'Choose a data file.', (core, f, file) =>
  core.runScores(file.name, file.text, f.score.value, f.group.value, f.min.value, f.max.value,
                 f.method.value, f.scale.value));

document.getElementById('print').addEventListener('click', () => window.print());
watchDrops(worksheet);
watchDrops(scores);
loadCore();
