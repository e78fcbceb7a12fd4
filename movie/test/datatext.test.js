'use strict';
const test = require('node:test');
const assert = require('node:assert/strict');
const DataText = require('../src/js/datatext.js');
const { Session } = require('../src/js/session.js');
const { exampleCatalog } = require('./helpers.js');

const cat = exampleCatalog();

function wrap(version, choices, reqs = '', notes = '', code = 'TN') {
    return (
        '<BrennixSelection><XML_PARA_VER>1</XML_PARA_VER>' +
        `<catalog id="TARVOS-N" version="${version}"/><code>${code}</code>` +
        `<choices>${choices}</choices><requirements>${reqs}</requirements><notes>${notes}</notes></BrennixSelection>`
    );
}

test('round trip: reading a text and writing it again gives the same bytes', async (t) => {
    const selections = [
        ['complete example', { choices: cat.examples[0].choices, reqs: {}, notes: '' }],
        ['partial with requirements', { choices: { type: 'S', size: '32' }, reqs: { load: 2.5, speed: 120, stroke: 400, orientation: 'H' }, notes: '' }],
        ['requirements only', { choices: {}, reqs: { load: 0.1 }, notes: '' }],
        ['notes only', { choices: {}, reqs: {}, notes: 'x' }],
        ['notes that need escaping', { choices: { type: 'G' }, reqs: {}, notes: 'a & b <c> "d" \'e\'\nline 2\t日本語 ｶﾅ 😀 ]]>' }],
    ];
    for (const [what, sel] of selections) {
        await t.test(what, () => {
            const text = DataText.serialize(cat, sel);
            assert.ok(text.includes('XML_PARA_VER'));
            assert.match(text, /^[\x20-\x7e]*$/, 'only printable ASCII');
            const back = DataText.read(cat, text);
            assert.equal(back.ok, true, JSON.stringify(back.error));
            assert.equal(back.report, null);
            assert.equal(DataText.serialize(cat, back.sel), text);
            // And through the session, as the host drives it.
            const s = new Session(cat);
            s.load(text);
            assert.equal(s.data(), text);
        });
    }
});

test('the serialisation is fixed: order, escaping, empty elements', () => {
    const text = DataText.serialize(cat, {
        choices: { cable: 'R3', type: 'R' },
        reqs: { orientation: 'V', load: 12.50 },
        notes: 'Ä&\n',
    });
    assert.equal(
        text,
        '<BrennixSelection><XML_PARA_VER>1</XML_PARA_VER><catalog id="TARVOS-N" version="2.1"/>' +
            '<code>TNR-?-?-?-?-?-?-R3</code><choices><choice step="type" option="R"/><choice step="cable" option="R3"/></choices>' +
            '<requirements><requirement id="load" unit="kg">12.5</requirement><requirement id="orientation">V</requirement></requirements>' +
            '<notes>&#xC4;&amp;&#xA;</notes></BrennixSelection>'
    );
    assert.equal(DataText.serialize(cat, { choices: {}, reqs: {}, notes: '' }), '');
});

test('a text from an older catalog opens with a report of every change', () => {
    const old = wrap(
        '2.0',
        '<choice step="type" option="R"/><choice step="size" option="25"/><choice step="lead" option="20"/>' +
            '<choice step="stroke" option="300"/><choice step="motor" option="S2"/><choice step="mounting" option="A"/>' +
            '<choice step="brake" option="B"/><choice step="cable" option="10"/>',
        '<requirement id="load" unit="kg">3</requirement>',
        'keep me'
    );
    const s = new Session(cat);
    const events = [];
    s.onChange((e) => events.push(e));
    const res = s.load(old);
    assert.equal(res.ok, true);
    assert.deepEqual({ from: res.report.from, to: res.report.to }, { from: '2.0', to: '2.1' });
    const items = res.report.items.map((i) => [i.kind, i.step, i.option, i.successor]);
    assert.deepEqual(items, [
        ['replaced', 'motor', 'S2', 'M2'],
        ['replaced', 'cable', '10', 'R10'],
        ['invalid', 'lead', '20', undefined],
    ]);
    assert.equal(res.report.items[2].reasons[0].rule.id, 'size25-lead20');
    assert.deepEqual(s.sel.choices, { type: 'R', size: '25', stroke: '300', motor: 'M2', mounting: 'A', brake: 'B', cable: 'R10' });
    assert.equal(s.sel.notes, 'keep me');
    assert.equal(events.at(-1).type, 'load');
    assert.equal(events.at(-1).report, res.report);
    // Saved again it is a text of the current catalog, so the host sees a change.
    assert.ok(s.data().includes('version="2.1"'));
    assert.notEqual(s.data(), old);
});

test('withdrawn options and requirements of an older catalog are reported, not dropped silently', () => {
    const old = wrap(
        '1.0',
        '<choice step="type" option="R"/><choice step="motor" option="A0"/>',
        '<requirement id="duty" unit="%">50</requirement><requirement id="load" unit="lb">3</requirement>'
    );
    const res = new Session(cat).load(old);
    assert.equal(res.ok, true);
    assert.deepEqual(res.report.items.map((i) => [i.kind, i.step || i.req, i.option || i.why]), [
        ['removed', 'motor', 'A0'],
        ['reqdropped', 'duty', 'unknown'],
        ['reqdropped', 'load', 'unit'],
    ]);
    assert.equal(res.report.items[0].retired.label.en, 'AC servo 50 W');
});

test('a text that cannot be used is refused and the selection stays as it was', async (t) => {
    const current = (choices) => wrap('2.1', choices, '', '', 'TNR-?-?-?-?-?-?-?');
    const cases = [
        ['empty', '', 'empty'],
        ['plain text', 'hello', 'foreign'],
        ['marker only', 'XML_PARA_VER', 'foreign'],
        ['other XML', '<invoke name="x"><XML_PARA_VER/></invoke>', 'foreign'],
        ['cut short', DataText.serialize(cat, { choices: { type: 'R' }, reqs: {}, notes: '' }).slice(0, -20), 'foreign'],
        ['with a DOCTYPE', '<!DOCTYPE x>' + current('<choice step="type" option="R"/>'), 'foreign'],
        ['bad entity', current('<choice step="type" option="R&bogus;"/>'), 'foreign'],
        ['another series', current('').replace('TARVOS-N', 'OTHER-X'), 'othercatalog'],
        ['a newer catalog', current('<choice step="type" option="R"/>').replace('2.1', '3.0'), 'newercatalog'],
        ['a newer data format', current('').replace('<XML_PARA_VER>1<', '<XML_PARA_VER>2<'), 'newerformat'],
        ['unknown option at this version', current('<choice step="type" option="Q"/>'), 'mismatch'],
        ['discontinued option at this version', current('<choice step="motor" option="S2"/>'), 'mismatch'],
        ['code that does not match', current('<choice step="type" option="S"/>'), 'mismatch'],
        ['a step twice', current('<choice step="type" option="R"/><choice step="type" option="R"/>'), 'foreign'],
    ];
    for (const [what, text, kind] of cases) {
        await t.test(what, () => {
            const s = new Session(cat);
            s.choose('type', 'G');
            s.setRequirement('load', '4');
            const before = s.data();
            const events = [];
            s.onChange((e) => events.push(e));
            const res = s.load(text);
            assert.equal(res.ok, false);
            assert.equal(res.error.kind, kind);
            assert.equal(s.data(), before);
            assert.deepEqual(events.map((e) => e.type), ['loadfailed']);
            assert.equal(s.canUndo, true, 'history kept as well');
        });
    }
});

test('session: refused requirements change nothing; accepted ones drop what no longer fits; undo', () => {
    const s = new Session(cat);
    for (const [step, opt] of Object.entries({ type: 'R', size: '25', lead: '2', stroke: '100', motor: 'M1', brake: 'N' })) {
        assert.equal(s.choose(step, opt).ok, true, step);
    }
    const before = s.data();
    // [typed value, error kind]
    for (const [typed, kind] of [['250', 'infeasible'], ['abc', 'number'], ['0', 'range'], ['1e3', 'number']]) {
        const res = s.setRequirement('load', typed);
        assert.equal(res.ok, false, typed);
        assert.equal(res.error.kind, kind, typed);
        assert.equal(s.data(), before, typed);
    }
    assert.ok(s.setRequirement('load', '250').error.reasons.some((r) => r.rule && r.rule.id === 'payload-horizontal'));
    assert.equal(s.choose('mounting', 'T').ok, false, 'size 25 has no trunnion');

    const res = s.setRequirement('orientation', 'V');
    assert.equal(res.ok, true);
    assert.deepEqual(res.dropped.map((d) => d.step + ':' + d.option), ['motor:M1', 'brake:N']);
    assert.deepEqual(s.sel.choices, { type: 'R', size: '25', lead: '2', stroke: '100' });

    assert.equal(s.undo(), true);
    assert.equal(s.data(), before);
    s.reset();
    assert.equal(s.data(), '');
    assert.equal(s.undo(), true);
    assert.equal(s.data(), before);
    s.newSelection();
    assert.equal(s.data(), '');
    assert.equal(s.canUndo, false);
});

test('session: a typed code is applied only when every segment is right', () => {
    const s = new Session(cat);
    s.choose('type', 'G');
    const bad = s.applyCode('TNS-40-10-300-M2-F-B-R3');
    assert.equal(bad.ok, false);
    assert.deepEqual(s.sel.choices, { type: 'G' });
    const good = s.applyCode(cat.examples[1].code);
    assert.equal(good.ok, true);
    assert.deepEqual(s.sel.choices, cat.examples[1].choices);
    s.undo();
    assert.deepEqual(s.sel.choices, { type: 'G' });
});
