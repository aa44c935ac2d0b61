// Times the page in headless Chromium, medians of 9: a 200-row table at n = 999,999, a
// 1,000,000-case CSV in 20 groups, and the page's load from a local server. Run by hand:
//   node web/tests/speed.mjs
import { mkdtempSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import puppeteer from 'puppeteer-core';
import { buildWeb } from './batch.mjs';
import { servePage } from './serve.mjs';

const server = await servePage(buildWeb);
const browser = await puppeteer.launch({
  executablePath: '/usr/bin/chromium', headless: true, protocolTimeout: 1_200_000,
  args: ['--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
         '--disable-background-networking', '--disable-component-update', '--disable-sync',
         `--user-data-dir=${mkdtempSync(join(tmpdir(), 'vornak-chromium-'))}`],
});
const median = (times) => times.sort((a, b) => a - b)[Math.floor(times.length / 2)];
const page = await browser.newPage();
// VORNAK_SPEED_CASES sets a smaller file for a quick look.
const caseCount = Number(process.env.VORNAK_SPEED_CASES ?? 1_000_000);

const loads = [];
for (let i = 0; i < 9; ++i) {
  const start = performance.now();
  await page.goto(server.url, { waitUntil: 'load' });
  // The module's object stays in the page: returned, it would be copied out whole.
  await page.evaluate(async () => { await (await import('./core.mjs')).loadCore(); });
  loads.push(performance.now() - start);
}

// The inputs, made once in the page: 200 scores at n = 999,999 as a smooth bell of counts
// that adds up exactly, and 1,000,000 cases of 20 groups with scores 0 to 30.
await page.evaluate(async (caseCount) => {
  const weights = Array.from({ length: 200 }, (_, i) => Math.exp(-(((i - 100) / 35) ** 2)));
  const total = weights.reduce((a, b) => a + b);
  const counts = weights.map((w) => Math.floor((w / total) * 999999));
  counts[100] += 999999 - counts.reduce((a, b) => a + b);
  window.frequencies = counts.map((count, i) => `${i} ${count}\n`).join('');
  const lines = ['id,group,score'];
  let seed = 1;
  for (let i = 0; i < caseCount; ++i) {
    seed = (seed * 69069 + 1) % 4294967296;
    lines.push(`${i},g${i % 20},${seed % 31}`);
  }
  window.cases = new TextEncoder().encode(lines.join('\n') + '\n');
}, caseCount);

// One run, timed in the page.
const timed = (run) => page.evaluate(async (name) => {
  const core = await (await import('./core.mjs')).loadCore();
  const runs = {
    table: () => core.runWorksheet('0', '199', '999999', 'bayesian', '', 'f.txt', window.frequencies),
    scores: () => core.runScores('big.csv', window.cases, 'score', 'group', '0', '30', 'bayesian', ''),
  };
  const start = performance.now();
  const result = runs[name]();
  const time = performance.now() - start;
  if (!result.ok)
    throw new Error(result.messages);
  return time;
}, run);

const table = [];
const scores = [];
for (let i = 0; i < 9; ++i) {
  table.push(await timed('table'));
  scores.push(await timed('scores'));
}
console.log(`page load: ${median(loads).toFixed(0)} ms`);
console.log(`200-row table, n = 999,999: ${median(table).toFixed(0)} ms`);
console.log(`${caseCount} cases in 20 groups: ${median(scores).toFixed(0)} ms`);
await browser.close();
server.close();
