// The WebAssembly module, loaded once.
import createVornakCore from './vornak-core.mjs';

let core;

export function loadCore() {
  core ??= createVornakCore();
  return core;
}
