// Validates FHIR R4 JSON files against the published R4 JSON schema (an implementation
// independent of the program) and prints each document read back, flattened: one
// "<file index>:path=value" line per leaf ("0:entry.1.resource.valueQuantity.value=6.5")
// after "<file index>:valid=1|0"; backslash, CR and LF in values are written \\ \r \n.
// Exit 0 when every file is valid, 1 when one is not (its errors on stderr).
'use strict';
const fs = require('fs');
const Validator = require('@asymmetrik/fhir-json-schema-validator');

const validator = new Validator();
const lines = [];
let failed = false;
process.argv.slice(2).forEach((file, index) => {
    const document = JSON.parse(fs.readFileSync(file, 'utf8'));
    // Verbose: the full error list, without compiling a second, per-resource schema.
    const errors = validator.validate(document, true);
    lines.push(index + ':valid=' + (errors.length === 0 ? 1 : 0));
    if (errors.length > 0) {
        failed = true;
        console.error(file + ': ' + JSON.stringify(errors.slice(0, 20), null, 1));
    }
    (function flatten(value, path) {
        if (value !== null && typeof value === 'object') {
            for (const [key, child] of Object.entries(value)) {
                flatten(child, path === '' ? key : path + '.' + key);
            }
            return;
        }
        const text = String(value).replace(/\\/g, '\\\\').replace(/\r/g, '\\r').replace(/\n/g, '\\n');
        lines.push(index + ':' + path + '=' + text);
    })(document, '');
});
// exitCode rather than exit(): exit() would cut a long output short on a pipe.
process.stdout.write(lines.join('\n') + '\n');
process.exitCode = failed ? 1 : 0;
