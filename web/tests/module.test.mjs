// The module against vornak-batch: every row, every digit.
import assert from 'node:assert/strict';
import { mkdtempSync, readFileSync, writeFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { test } from 'node:test';
import { batchMessages, batchRows, buildWeb, frequencyFiles, methods, root } from './batch.mjs';

const { percentileTable, scoresTables } = await import(`${buildWeb}/vornak.mjs`);

function counts(path) {
  return readFileSync(root + path, 'utf8').trim().split(/\r?\n|\r/)
    .map((line) => Number(line.trim().split(/\s+/)[1]));
}

test('percentileTable gives vornak-batch --csv rows for both example files and every method', async () => {
  for (const { file, min, max, n } of frequencyFiles) {
    for (const method of methods) {
      const rows = await percentileTable({ min, max, n, method, frequencies: counts(file) });
      const expected = batchRows(['--method', method, '--csv', `${min}`, `${max}`, `${n}`, root + file]);
      assert.deepEqual(rows, expected, `${file}, ${method}`);
    }
  }
});

test('scoresTables gives vornak-batch scores --csv rows for the spelling sample by age band', async () => {
  const csvText = readFileSync(`${root}examples/spelling_by_age.csv`, 'utf8');
  for (const method of methods) {
    const rows = await scoresTables({ csvText, score: 'raw', group: 'age_band', min: 0, max: 30, method });
    const expected = batchRows(['scores', '--method', method, '--group', 'age_band', '--score', 'raw',
                                '--csv', '0', '30', `${root}examples/spelling_by_age.csv`]);
    assert.deepEqual(rows, expected, method);
  }
});

test('a per-person table takes more score values than the worksheet\'s 200', async () => {
  const csvText = 'raw\n' + Array.from({ length: 40 }, (_, i) => `${i * 7}`).join('\n') + '\n';
  const path = join(mkdtempSync(join(tmpdir(), 'vornak-web-')), 'wide.csv');
  writeFileSync(path, csvText);
  const rows = await scoresTables({ csvText, score: 'raw', min: 0, max: 300 });
  assert.equal(rows.length, 301);
  assert.deepEqual(rows, batchRows(['scores', '--score', 'raw', '--csv', '0', '300', path]));
});

test('refusals reject with the program\'s own messages', async () => {
  const folder = mkdtempSync(join(tmpdir(), 'vornak-web-'));
  const file = (name, text) => {
    writeFileSync(join(folder, name), text);
    return join(folder, name);
  };
  await assert.rejects(percentileTable({ min: 0, max: 2, n: 11, frequencies: [3, 5, 2] }), {
    message: batchMessages(['0', '2', '11', file('frequencies.txt', '0 3\n1 5\n2 2\n')]),
  });
  await assert.rejects(percentileTable({ min: 0, max: 2, n: 'x', frequencies: [3, 5, 2] }), {
    message: batchMessages(['0', '2', 'x', file('frequencies.txt', '0 3\n1 5\n2 2\n')]),
  });
  const cases = [
    ['raw,age\n1,8\n2,9\n', 'score'],  // no such column
    ['raw\n1\n2"x\n3\n', 'raw'],  // a quote inside an unquoted field
    ['raw\n1\n"2\n3\n', 'raw'],  // the file ends inside a quoted field
    ['raw\n1\n2,3\n3\n', 'raw'],  // a row longer than the header
    ['raw\n1\n2.5\n3\n', 'raw'],  // a score that is not whole
  ];
  for (const [csvText, score] of cases) {
    await assert.rejects(scoresTables({ csvText, score, min: 0, max: 30 }), {
      message: batchMessages(['scores', '--score', score, '0', '30', file('data.csv', csvText)])
        .replaceAll(join(folder, 'data.csv'), 'data.csv'),
    }, csvText);
  }
});

test('quoted fields, CR LF line ends and blank lines read as vornak-batch reads them', async () => {
  const csvText = 'id,"raw score",band\r\n1,3,"a, b"\r\n\r\n2,4,a\r\n3,5,"a, b"\r\n4,3,"a ""x"""\r\n' +
                  '5,4,a\r\n6,"5",a\r\n7,3,"a, b"\r\n8,4,"a ""x"""\r\n9,4,"a ""x"""\r\n10,5,a';
  const path = join(mkdtempSync(join(tmpdir(), 'vornak-web-')), 'quoted.csv');
  writeFileSync(path, csvText);
  const rows = await scoresTables({ csvText, score: 'raw score', group: 'band', min: 3, max: 5 });
  assert.deepEqual(rows, batchRows(['scores', '--group', 'band', '--score', 'raw score', '--csv', '3', '5', path]));
  assert.equal(rows.length, 9);
});
