// The page in headless Chromium, served from 127.0.0.1: each form fed a file, every cell of
// its tables against vornak-batch's CSV, the report against vornak-batch's, and no request to
// anything but the page's own files.
import assert from 'node:assert/strict';
import { mkdtempSync, readFileSync, rmSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { after, before, test } from 'node:test';
import puppeteer from 'puppeteer-core';
import { batchMessages, batchRows, batchText, buildWeb, root } from './batch.mjs';
import { servePage } from './serve.mjs';

let server;
let profile;
let browser;
let page;
const requests = [];

before(async () => {
  server = await servePage(buildWeb);
  profile = mkdtempSync(join(tmpdir(), 'vornak-chromium-'));
  browser = await puppeteer.launch({
    executablePath: '/usr/bin/chromium',
    headless: true,
    args: ['--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
           '--disable-background-networking', '--disable-component-update', '--disable-sync',
           `--user-data-dir=${profile}`],
  });
  page = await browser.newPage();
  page.on('request', (request) => requests.push(request.url()));
  await page.goto(server.url, { waitUntil: 'load' });
});

after(async () => {
  await browser?.close();
  server?.close();
  rmSync(profile, { recursive: true, force: true, maxRetries: 10, retryDelay: 100 });
});

// The page's tables, one array of rows per table, each row its cells' texts.
function shownTables() {
  return page.$$eval('#tables table', (tables) => tables.map((table) => ({
    caption: table.caption?.textContent ?? '',
    header: [...table.tHead.rows[0].cells].map((cell) => cell.textContent),
    rows: [...table.tBodies[0].rows].map((row) => [...row.cells].map((cell) => cell.textContent)),
  })));
}

async function submit(formId, file) {
  // A fresh results section, so that the wait below sees this run's.
  await page.$eval('#results', (section) => {
    section.hidden = true;
    for (const id of ['tables', 'messages', 'report'])
      document.getElementById(id).replaceChildren();
  });
  const input = await page.$(`#${formId} input[type=file]`);
  await input.uploadFile(root + file);
  await page.$eval(`#${formId}`, (form) => form.requestSubmit());
  await page.waitForFunction(() => !document.getElementById('results').hidden &&
                                   document.querySelector('#tables table, #messages:not(:empty)'));
}

test('the worksheet shows vornak-batch\'s report and table', async () => {
  await page.$eval('#worksheet [name=method]', (select) => { select.value = 'mid-p'; });
  await page.$eval('#worksheet [name=notes]', (box) => { box.value = 'Spring norms\nsecond line'; });
  await submit('worksheet', 'examples/memory_test_n250.txt');
  const args = ['--method', 'mid-p', '--notes', 'Spring norms\nsecond line', '0', '30', '250'];
  const expected = batchRows([...args.slice(0, 4), '--csv', ...args.slice(4), `${root}examples/memory_test_n250.txt`]);
  const [table] = await shownTables();
  assert.deepEqual(table.header, Object.keys(expected[0]));
  assert.deepEqual(table.rows, expected.map((row) => Object.values(row)));
  // The report, but for the data file's full path, which the page shows as the file's name.
  const report = await page.$eval('#report', (pre) => pre.textContent);
  const batchReport = batchText([...args, `${root}examples/memory_test_n250.txt`]);
  assert.equal(report, batchReport.replaceAll(`${root}examples/`, ''));
  assert.notEqual(report, batchReport);
});

test('per-person norms show one table per group, as vornak-batch scores --csv', async () => {
  await page.$eval('#scores [name=scale]', (select) => { select.value = 'T'; });
  await submit('scores', 'examples/spelling_by_age.csv');
  const expected = batchRows(['scores', '--group', 'age_band', '--score', 'raw', '--scale', 'T', '--csv',
                              '0', '30', `${root}examples/spelling_by_age.csv`]);
  const tables = await shownTables();
  assert.deepEqual(tables.map((table) => table.caption), ['Group: 8', 'Group: 9', 'Group: 10']);
  // The table's own columns are exact. The T columns come from the normal quantile in the
  // page's 113-bit long double, so their 17th digit may differ from the 64-bit one's
  // (docs/web.md); they must agree to 15.
  const ownColumns = 8;
  const rounded = (cells) => cells.map((cell, i) => (i < ownColumns || !Number.isFinite(Number(cell))
    ? cell : Number(cell).toPrecision(15)));
  for (const table of tables) {
    const group = table.caption.replace('Group: ', '');
    const rows = expected.filter((row) => row.group === group);
    assert.equal(table.header.length, ownColumns + 5);
    assert.deepEqual(table.rows.map(rounded),
                     rows.map(({ group: _, ...row }) => rounded(Object.values(row))), group);
  }
  const notices = await page.$eval('#messages', (pre) => pre.textContent);
  assert.equal(notices, 'group 8: 1 missing score skipped\ngroup 9: 1 missing score skipped\n' +
                        'group 10: 1 missing score skipped\n');
});

test('a refused input shows the program\'s message and no table', async () => {
  await page.$eval('#worksheet [name=n]', (box) => { box.value = '251'; });
  await submit('worksheet', 'examples/memory_test_n250.txt');
  assert.deepEqual(await shownTables(), []);
  assert.equal(await page.$eval('#messages', (pre) => pre.textContent),
               batchMessages(['0', '30', '251', `${root}examples/memory_test_n250.txt`]) + '\n');
});

test('no request leaves the page\'s own files', () => {
  assert.ok(requests.length > 0);
  // The module's WebAssembly comes inside its script, as a data: URL.
  for (const url of requests)
    assert.ok(url.startsWith(server.url) || url.startsWith('data:application/octet-stream;base64,'),
              url.slice(0, 100));
});
