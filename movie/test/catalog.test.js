'use strict';
const test = require('node:test');
const assert = require('node:assert/strict');
const Catalog = require('../src/js/catalog.js');
const Expr = require('../src/js/expr.js');
const { exampleCatalog, prng } = require('./helpers.js');

const cat = exampleCatalog();

test('availability says why an option is out and what to change', async (t) => {
    // [what, selection, step, option, rule, direct, fix hints]
    const cases = [
        ['incompatible pair', { type: 'S' }, {}, 'mounting', 'F', 'slider-mounting', true, ['step:type']],
        ['pair with an earlier size', { size: '25' }, {}, 'lead', '20', 'size25-lead20', true, ['step:size']],
        ['requirement forces a later option', {}, { orientation: 'V' }, 'brake', 'N', 'vertical-brake', true, ['req:orientation']],
        ['requirement blocks it through a later step', {}, { orientation: 'V' }, 'motor', 'M1', 'vertical-brake', false, ['req:orientation']],
        ['numeric range of a size', { size: '25' }, {}, 'stroke', '450', 'stroke-size', true, ['step:size']],
        ['required stroke', {}, { stroke: 420 }, 'stroke', '400', 'stroke-required', true, ['req:stroke']],
        ['payload over every later choice', {}, { load: 12, orientation: 'V' }, 'size', '25', 'payload-vertical', false, ['req:load', 'req:orientation']],
    ];
    for (const [what, choices, reqs, step, option, rule, direct, fix] of cases) {
        await t.test(what, () => {
            const st = Catalog.optionStatus(cat, { choices, reqs }, step, option);
            assert.equal(st.available, false);
            const reason = st.reasons.find((r) => r.rule && r.rule.id === rule);
            assert.ok(reason, `expected rule ${rule}, got ${st.reasons.map((r) => (r.rule ? r.rule.id : r.kind))}`);
            assert.equal(reason.direct, direct);
            assert.deepEqual(reason.fix.map((f) => f.kind + ':' + f.id), fix);
        });
    }
    await t.test('a direct limit reports the value and the bound', () => {
        const st = Catalog.optionStatus(cat, { choices: { size: '25' }, reqs: {} }, 'stroke', '450');
        assert.equal(st.reasons[0].value, 450);
        assert.equal(st.reasons[0].limit, 400);
    });
    await t.test('a discontinued option names its successor', () => {
        const st = Catalog.optionStatus(cat, { choices: {}, reqs: {} }, 'motor', 'S2');
        assert.equal(st.available, false);
        assert.equal(st.reasons[0].kind, 'discontinued');
        assert.equal(st.reasons[0].successor.id, 'M2');
    });
    await t.test('the same options are available when nothing rules them out', () => {
        const sel = { choices: { type: 'R', size: '40' }, reqs: {} };
        for (const o of ['2', '5', '10', '20']) assert.equal(Catalog.optionStatus(cat, sel, 'lead', o).available, true, o);
    });
});

test('no step is ever left with nothing to choose', () => {
    const rand = prng(20240611);
    const pick = (list) => list[Math.floor(rand() * list.length)];
    for (let run = 0; run < 60; run++) {
        const reqs = {};
        const wanted = {
            load: pick([undefined, 1, 5, 12, 30, 55, 90]),
            speed: pick([undefined, 50, 200, 400, 600, 900]),
            stroke: pick([undefined, 80, 300, 520, 790]),
            orientation: pick([undefined, 'H', 'V']),
        };
        for (const [k, v] of Object.entries(wanted)) {
            if (v === undefined) continue;
            const next = { ...reqs, [k]: v };
            // Requirements no model meets are refused, as the page does.
            if (Catalog.requirementsFeasible(cat, next).feasible) reqs[k] = v;
        }
        const choices = {};
        for (const step of cat.steps) {
            const open = Catalog.stepStatus(cat, { choices, reqs }, step.id).filter((s) => s.available);
            assert.ok(open.length > 0, `run ${run}: nothing to choose at ${step.id} with ${JSON.stringify({ choices, reqs })}`);
            for (const s of Catalog.stepStatus(cat, { choices, reqs }, step.id)) {
                if (!s.available) assert.ok(s.reasons.length > 0, `${step.id}.${s.option.id} has no reason`);
            }
            choices[step.id] = pick(open).option.id;
        }
        assert.equal(Catalog.buildCode(cat, choices).complete, true);
        assert.equal(Catalog.revalidate(cat, { choices, reqs }).dropped.length, 0);
    }
});

test('model codes: built from choices and decoded from the catalog examples', async (t) => {
    assert.ok(cat.examples.length >= 3);
    for (const ex of cat.examples) {
        await t.test(ex.code, () => {
            assert.equal(Catalog.buildCode(cat, ex.choices).text, ex.code);
            const decoded = Catalog.decodeCode(cat, ex.code, {});
            assert.deepEqual(decoded.errors, []);
            assert.deepEqual(decoded.choices, ex.choices);
        });
    }
    await t.test('open segments show "?"', () => {
        assert.equal(Catalog.buildCode(cat, {}).text, 'TN?-?-?-?-?-?-?-?');
        assert.equal(Catalog.buildCode(cat, { type: 'R', stroke: '300' }).text, 'TNR-?-?-300-?-?-?-?');
    });
    await t.test('typed in lower case, full-width or with spaces', () => {
        const decoded = Catalog.decodeCode(cat, ' ｔｎｒ－40－10－300－m2－f－b－r3 ', {});
        assert.deepEqual(decoded.errors, []);
        assert.deepEqual(decoded.choices, cat.examples[0].choices);
    });
    await t.test('"?" leaves a segment open', () => {
        const decoded = Catalog.decodeCode(cat, 'TNR-40-?-300-?-F-B-R3', {});
        assert.deepEqual(decoded.errors, []);
        assert.deepEqual(decoded.choices, { type: 'R', size: '40', stroke: '300', mounting: 'F', brake: 'B', cable: 'R3' });
    });
});

test('decoding gives one error per wrong segment', () => {
    // [code, requirements, expected errors as kind:step]
    const cases = [
        ['XXR-40-10-300-M2-F-B-R3', {}, ['prefix:']],
        ['TNR-41-10-300-M2-F-B-X9', {}, ['unknown:size', 'unknown:cable']],
        ['TNS-40-10-300-M2-F-B-R3', {}, ['unavailable:mounting']],
        ['TNR-40-10-300-S2-F-B-10', {}, ['unavailable:motor', 'unavailable:cable']],
        ['TNR-25-20-450-M2-A-N-0', {}, ['unavailable:lead', 'unavailable:stroke']],
        ['TNR-40-10-300-M2-F', {}, ['missing:brake', 'missing:cable']],
        ['TNR-40-10-300-M2-F-B-R3-Z', {}, ['extra:']],
        ['TNR-40-10-300-M2-F-B-R3X', {}, ['unknown:cable']],
        ['TNR-40-10-300-M2-F-N-R3', { orientation: 'V' }, ['unavailable:brake']],
    ];
    for (const [code, reqs, expected] of cases) {
        const decoded = Catalog.decodeCode(cat, code, reqs);
        assert.deepEqual(decoded.errors.map((e) => e.kind + ':' + (e.step || '')), expected, code);
    }
    const disc = Catalog.decodeCode(cat, 'TNR-40-10-300-S2-F-B-R3', {}).errors[0];
    assert.equal(disc.reasons[0].kind, 'discontinued');
    assert.equal(disc.reasons[0].successor.id, 'M2');
});

test('permitted speed at a stroke: critical speed and motor limit meet at the right stroke', () => {
    const speed = (stroke, motor = 'M2') =>
        Catalog.derivedValues(cat, { choices: { type: 'R', size: '40', lead: '10', stroke, motor }, reqs: {} }).permittedSpeed;
    // Up to about 647 mm the motor's 2400 r/min limits: 2400 * 10 / 60 = 400 mm/s.
    assert.equal(speed('50'), 400);
    assert.equal(speed('600'), 400);
    // Beyond it the screw's critical speed takes over and falls with the stroke.
    assert.equal(speed('650'), 395);
    assert.equal(speed('700'), 345);
    // A faster motor does not help where the screw limits.
    assert.equal(speed('700', 'A1'), 345);
    assert.equal(speed('600', 'A1'), 455);
    // Without a motor there is no value yet.
    assert.equal(Catalog.derivedValues(cat, { choices: { size: '40', lead: '10', stroke: '600' }, reqs: {} }).permittedSpeed, null);

    // The speed requirement is checked against it, equal being allowed.
    const errorsAt = (code, v) => Catalog.decodeCode(cat, code, { speed: v }).errors;
    assert.deepEqual(errorsAt('TNR-40-10-650-M2-A-N-0', 395), []);
    // At 650 mm the screw limits whatever the motor: the stroke itself is out.
    const screw = errorsAt('TNR-40-10-650-M2-A-N-0', 396);
    assert.deepEqual(screw.map((e) => e.step), ['stroke']);
    assert.equal(screw[0].reasons[0].rule.id, 'speed-permitted');
    assert.equal(screw[0].reasons[0].direct, false);
    // At 600 mm a servo would do; the stepper's 400 mm/s is the limit of the motor choice.
    const motor = errorsAt('TNR-40-10-600-M2-A-N-0', 401);
    assert.deepEqual(motor.map((e) => e.step), ['motor']);
    assert.equal(motor[0].reasons[0].rule.id, 'speed-permitted');
    assert.equal(motor[0].reasons[0].value, 401);
    assert.equal(motor[0].reasons[0].limit, 400);
    assert.deepEqual(errorsAt('TNR-40-10-600-M2-A-N-0', 400), []);
});

test('requirements no model can meet are recognised, with the rules to blame', () => {
    assert.equal(Catalog.requirementsFeasible(cat, { load: 60, orientation: 'V' }).feasible, true);
    const res = Catalog.requirementsFeasible(cat, { load: 61, orientation: 'V' });
    assert.equal(res.feasible, false);
    assert.ok(res.reasons.some((r) => r.rule && r.rule.id === 'payload-vertical'));
});

test('parts list follows the choices', () => {
    const parts = Catalog.partsList(cat, cat.examples[0].choices);
    assert.deepEqual(
        parts.map((p) => [p.part, p.qty]),
        [['TNR-40-10-300-M2-F-B-R3', 1], ['TN-DRV-P', 1], ['TN-FL40', 1], ['TN-BRK-PS', 1], ['TN-CBL-R3', 1]]
    );
});

test('expressions: precedence, functions and refusal of anything else', () => {
    const ev = (s, vars = {}) => Expr.compile(s).evaluate((n) => vars[n]);
    assert.equal(ev('1 + 2 * 3 ^ 2'), 19);
    assert.equal(ev('-2 ^ 2'), -4);
    assert.equal(ev('2 ^ 3 ^ 2'), 512);
    assert.equal(ev('floor(min(a.b, 7) / 2)', { 'a.b': 9 }), 3);
    assert.deepEqual(Expr.compile('x.y + z').refs, ['x.y', 'z']);
    for (const bad of ['', '1 +', 'alert(1)', 'a; b', 'a[0]', '"s"', 'min()', '(1']) {
        assert.throws(() => Expr.compile(bad), Expr.ExprError, bad);
    }
});
