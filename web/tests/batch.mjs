// What vornak-batch prints for the same inputs, for the tests to compare with.
import { execFileSync, spawnSync } from 'node:child_process';
import { fileURLToPath } from 'node:url';
import { parseCsv } from '../csv_rows.mjs';

export const root = fileURLToPath(new URL('../..', import.meta.url));
export const buildWeb = process.env.VORNAK_BUILD_WEB ?? `${root}build-web`;
const batch = process.env.VORNAK_BATCH ?? `${root}build/vornak-batch`;

export function batchText(args) {
  return execFileSync(batch, args, { encoding: 'utf8', env: { ...process.env, LC_ALL: 'C' },
                                     stdio: ['ignore', 'pipe', 'ignore'] });
}

// What vornak-batch writes to standard error, without the last line end.
export function batchMessages(args) {
  const run = spawnSync(batch, args, { encoding: 'utf8', env: { ...process.env, LC_ALL: 'C' } });
  return run.stderr.replace(/\n$/, '');
}

export function batchRows(args) {
  return parseCsv(batchText(args));
}

export const frequencyFiles = [
  { file: 'examples/memory_test_n250.txt', min: 0, max: 30, n: 250 },
  { file: 'examples/reading_scale_n4200.txt', min: 0, max: 99, n: 4200 },
];
export const methods = ['bayesian', 'classical', 'mid-p'];
