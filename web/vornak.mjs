// Vornak's norms tables in the browser and in Node: the same numbers as vornak-batch --csv.
//
//   import { percentileTable, scoresTables } from './vornak.mjs';
//   const rows = await percentileTable({ min: 0, max: 2, n: 10, method: 'classical',
//                                        frequencies: [3, 5, 2] });
//   // rows[0] = { raw_score: '0', frequency: '3', below: '0', pr: '15', lower95: ..., ... }
//
// Each row is an object whose keys are the CSV's header and whose values are its fields, as
// text, with every digit. A run the program would refuse rejects with an Error whose message
// is the program's own.
import { loadCore } from './core.mjs';
import { parseCsv } from './csv_rows.mjs';

export async function percentileTable({ min, max, n, method = 'bayesian', frequencies }) {
  if (!Array.isArray(frequencies))
    throw new TypeError('frequencies must be an array of counts from MIN to MAX');
  const first = Number(min);
  const text = frequencies.map((count, i) => `${first + i} ${count}\n`).join('');
  const core = await loadCore();
  const run = core.runWorksheet(String(min), String(max), String(n), method, '',
                                'frequencies.txt', text);
  return rowsOf(run);
}

export async function scoresTables({ csvText, score, group = '', min, max, method = 'bayesian' }) {
  const core = await loadCore();
  const run = core.runScores('data.csv', csvText, score, group ?? '', String(min), String(max),
                             method, '');
  return rowsOf(run);
}

function rowsOf(run) {
  if (!run.ok)
    throw new Error(run.messages.replace(/\n$/, ''));
  return parseCsv(run.csv);
}
