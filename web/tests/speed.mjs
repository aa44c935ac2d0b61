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

const loads = [];
for (let i = 0; i < 9; ++i) {
  const start = performance.now();
  await page.goto(server.url, { waitUntil: 'load' });
  await page.evaluate(async () => (await import('./core.mjs')).loadCore());
  loads.push(performance.now() - start);
}

const [table, scores] = await page.evaluate(async () => {
  const { loadCore } = await import('./core.mjs');
  const core = await loadCore();
  const time = (run) => {
    const times = [];
    for (let i = 0; i < 9; ++i) {
      const start = performance.now();
      const result = run();
      times.push(performance.now() - start);
      if (!result.ok)
        throw new Error(result.messages);
    }
    return times;
  };
  // 200 scores, n = 999,999, a smooth bell of counts that adds up exactly.
  const weights = Array.from({ length: 200 }, (_, i) => Math.exp(-(((i - 100) / 35) ** 2)));
  const total = weights.reduce((a, b) => a + b);
  const counts = weights.map((w) => Math.floor((w / total) * 999999));
  counts[100] += 999999 - counts.reduce((a, b) => a + b);
  const frequencies = counts.map((count, i) => `${i} ${count}\n`).join('');
  const tableTimes = time(() => core.runWorksheet('0', '199', '999999', 'bayesian', '', 'f.txt', frequencies));
  const lines = ['id,group,score'];
  let seed = 1;
  for (let i = 0; i < 1000000; ++i) {
    seed = (seed * 1103515245 + 12345) % 2147483648;
    lines.push(`${i},g${i % 20},${seed % 31}`);
  }
  const data = new TextEncoder().encode(lines.join('\n') + '\n');
  const scoresTimes = time(() => core.runScores('big.csv', data, 'score', 'group', '0', '30', 'bayesian', ''));
  return [tableTimes, scoresTimes];
});
console.log(`page load: ${median(loads).toFixed(0)} ms`);
console.log(`200-row table, n = 999,999: ${median(table).toFixed(0)} ms`);
console.log(`1,000,000 cases in 20 groups: ${median(scores).toFixed(0)} ms`);
await browser.close();
server.close();
