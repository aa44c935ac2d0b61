// Photographs the page in headless Chromium after a worksheet run on the memory test's
// frequency file, into docs/web.png. Run by hand after scripts/web: node web/tests/screenshot.mjs
import { mkdtempSync, rmSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import puppeteer from 'puppeteer-core';
import { buildWeb, root } from './batch.mjs';
import { servePage } from './serve.mjs';

const server = await servePage(buildWeb);
const profile = mkdtempSync(join(tmpdir(), 'vornak-chromium-'));
const browser = await puppeteer.launch({
  executablePath: '/usr/bin/chromium', headless: true,
  args: ['--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
         '--disable-background-networking', '--disable-component-update', '--disable-sync',
         `--user-data-dir=${profile}`],
});
const page = await browser.newPage();
await page.setViewport({ width: 1100, height: 1000 });
await page.goto(server.url, { waitUntil: 'load' });
const input = await page.$('#worksheet input[type=file]');
await input.uploadFile(`${root}examples/memory_test_n250.txt`);
await page.$eval('#worksheet', (form) => form.requestSubmit());
await page.waitForSelector('#tables table');
await page.screenshot({ path: `${root}docs/web.png` });
await browser.close();
server.close();
rmSync(profile, { recursive: true, force: true, maxRetries: 10, retryDelay: 100 });
