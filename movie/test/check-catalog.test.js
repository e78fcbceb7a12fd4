'use strict';
const test = require('node:test');
const assert = require('node:assert/strict');
const fs = require('fs');
const os = require('os');
const path = require('path');
const { spawnSync } = require('child_process');
const { checkCatalog } = require('../tools/check-catalog.js');
const { rawCatalog, CATALOG_FILE } = require('./helpers.js');

const SCRIPT = path.join(__dirname, '..', 'tools', 'check-catalog.js');
const step = (c, id) => c.steps.find((s) => s.id === id);
const option = (c, s, id) => step(c, s).options.find((o) => o.id === id);
const text = { en: 'x', ja: 'x' };

test('the example catalog passes the check', () => {
    assert.deepEqual(checkCatalog(rawCatalog()).errors, []);
});

test('each kind of catalog fault is reported', async (t) => {
    // [fault, change to the example, expected text in an error]
    const cases = [
        ['unknown successor', (c) => (option(c, 'motor', 'S2').discontinued.successor = 'M9'), 'unknown successor "M9"'],
        ['duplicate code', (c) => (option(c, 'cable', 'R5').code = 'r3'), 'duplicate code "r3"'],
        ['duplicate option id', (c) => step(c, 'brake').options.push({ id: 'B', code: 'Z', label: text }), 'duplicate id "B"'],
        ['unknown option in a rule', (c) => (c.rules[0].match.type = ['X']), 'unknown option "type.X"'],
        ['unknown step in a rule', (c) => (c.rules[0].match.colour = ['red']), 'unknown step "colour"'],
        ['unknown requirement value', (c) => (c.rules.find((r) => r.id === 'vertical-brake').when['req.orientation'] = ['D']), 'unknown value "D"'],
        ['missing translation', (c) => delete option(c, 'type', 'S').label.ja, 'type.S: translation "ja" missing'],
        ['missing rule text', (c) => delete c.rules[1].reason, 'rule guided-trunnion reason: text missing'],
        ['unknown attribute in an expression', (c) => (c.derived[0].expr = 'size.nothing * 2'), 'attribute "nothing"'],
        ['malformed expression', (c) => (c.derived[2].expr = 'min(stroke,'), 'derived "permittedSpeed"'],
        ['unreachable option', (c) => c.rules.push({ id: 'no-g', kind: 'exclude', match: { type: ['G'], size: ['25', '32', '40', '63'] }, title: text, reason: text }), 'type.G: unreachable'],
        ['example that decodes differently', (c) => (c.examples[0].choices.cable = 'R5'), 'cable decodes to R3, expected R5'],
        ['retired id that is still offered', (c) => c.retired.push({ step: 'motor', id: 'M1', since: '2.0', label: text }), 'still an option'],
        ['document that is not https', (c) => (c.documents[0].url = 'http://x.example/a.pdf'), 'plain https address'],
    ];
    for (const [what, change, expected] of cases) {
        await t.test(what, () => {
            const c = rawCatalog();
            change(c);
            const { errors } = checkCatalog(c);
            assert.ok(errors.some((e) => e.includes(expected)), `expected "${expected}" in:\n${errors.join('\n')}`);
        });
    }
});

test('the command line exits 0 for a good catalog and 1 for a bad one', () => {
    const good = spawnSync(process.execPath, [SCRIPT, CATALOG_FILE], { encoding: 'utf8' });
    assert.equal(good.status, 0, good.stderr);
    const dir = fs.mkdtempSync(path.join(os.tmpdir(), 'catalog-'));
    try {
        const bad = rawCatalog();
        delete bad.steps[0].label.en;
        const file = path.join(dir, 'bad.json');
        fs.writeFileSync(file, JSON.stringify(bad));
        const res = spawnSync(process.execPath, [SCRIPT, file], { encoding: 'utf8' });
        assert.equal(res.status, 1);
        assert.match(res.stderr, /translation "en" missing/);
        fs.writeFileSync(file, '{ not json');
        assert.equal(spawnSync(process.execPath, [SCRIPT, file]).status, 1);
    } finally {
        fs.rmSync(dir, { recursive: true, force: true });
    }
});
