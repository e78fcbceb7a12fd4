'use strict';
const test = require('node:test');
const assert = require('node:assert/strict');
const Contract = require('../src/js/contract.js');
const { Session } = require('../src/js/session.js');
const { exampleCatalog } = require('./helpers.js');

const cat = exampleCatalog();
const CHECK = '<invoke name="checkNetworkEnable" returntype="xml"><arguments></arguments></invoke>';

// A stand-in for the host's window.brennix: variables the host sets reach the
// watchers in a later macrotask, in order, as in the real bridge.
function fakeHost({ network } = {}) {
    const vars = new Map();
    const watchers = new Map();
    const callbacks = new Map();
    const calls = [];
    const fs = [];
    const bridge = {
        hosted: true,
        get: (name) => (vars.has(name) ? vars.get(name) : ''),
        set: (name, value) => {
            calls.push(['set', name, String(value)]);
            vars.set(name, String(value));
        },
        watch: (name, fn) => {
            calls.push(['watch', name]);
            if (!watchers.has(name)) watchers.set(name, []);
            watchers.get(name).push(fn);
        },
        fsCommand: (command, args) => fs.push([command, args]),
        externalCall: (request) => {
            calls.push(['externalCall', request]);
            // The host answers before the call returns.
            if (network !== undefined && /name="checkNetworkEnable"/.test(request)) {
                callbacks.get('setNetworkEnable')(network ? 'true' : 'false');
            }
        },
        addCallback: (name, fn) => {
            calls.push(['addCallback', name]);
            callbacks.set(name, fn);
        },
    };
    return {
        bridge,
        calls,
        fs,
        callbacks,
        setVariable(name, value) {
            vars.set(name, value);
            setTimeout(() => (watchers.get(name) || []).forEach((fn) => fn(value)), 0);
        },
        settle: () => new Promise((resolve) => setTimeout(resolve, 5)),
    };
}

function start(options) {
    const host = fakeHost(options);
    const session = new Session(cat);
    const network = [];
    const events = [];
    session.onChange((e) => events.push(e.type));
    const attached = Contract.attach(host.bridge, Contract.sessionApp(session, (on) => network.push(on)));
    return { host, session, network, events, attached };
}

test('start: ready flag once the watchers are in place, one network question', () => {
    const { host, network, attached } = start({ network: true });
    assert.equal(attached, true);
    assert.equal(host.bridge.get('_level0.M_bLoadEndFlg'), 'true');
    const flagAt = host.calls.findIndex((c) => c[0] === 'set' && c[1] === '_level0.M_bLoadEndFlg');
    for (const v of ['nSave', 'nNew', 'nLoad']) {
        const at = host.calls.findIndex((c) => c[0] === 'watch' && c[1] === '_level0.LoadSave.exFunc.' + v);
        assert.ok(at >= 0 && at < flagAt, v + ' watched before the flag is set');
    }
    assert.deepEqual(host.calls.filter((c) => c[0] === 'externalCall'), [['externalCall', CHECK]]);
    assert.deepEqual(network, [true]);
});

test('network answer "false", or one that comes later, is taken from setNetworkEnable', async () => {
    const off = start({ network: false });
    assert.deepEqual(off.network, [false]);
    const later = start();
    assert.deepEqual(later.network, []);
    later.host.callbacks.get('setNetworkEnable')('true');
    assert.deepEqual(later.network, [true]);
});

test('nSave: exactly one fsCommand per request, the whole selection as command text', async () => {
    const { host, session } = start({ network: false });
    host.setVariable('_level0.LoadSave.exFunc.nSave', '1');
    await host.settle();
    assert.deepEqual(host.fs, [['', '']], 'empty selection: empty text');

    session.choose('type', 'R');
    session.setRequirement('load', '3');
    host.setVariable('_level0.LoadSave.exFunc.nSave', '1');
    await host.settle();
    assert.equal(host.fs.length, 2);
    assert.ok(host.fs[1][0].includes('XML_PARA_VER'));
    assert.equal(host.fs[1][0], session.data());
    assert.equal(host.fs[1][1], '');

    // The same value set again is a new request; other values are not.
    host.setVariable('_level0.LoadSave.exFunc.nSave', '1');
    host.setVariable('_level0.LoadSave.exFunc.nSave', '0');
    host.setVariable('_level0.LoadSave.exFunc.nSave', '1');
    await host.settle();
    assert.equal(host.fs.length, 4);
    assert.equal(host.fs[3][0], host.fs[1][0]);
});

test('nNew empties the selection; nLoad replaces it with a text once handed over', async () => {
    const { host, session } = start({ network: false });
    session.applyCode(cat.examples[0].code);
    session.setNotes('ノート');
    host.setVariable('_level0.LoadSave.exFunc.nSave', '1');
    await host.settle();
    const saved = host.fs[0][0];

    host.setVariable('_level0.LoadSave.exFunc.nNew', '1');
    host.setVariable('_level0.LoadSave.exFunc.nSave', '1');
    await host.settle();
    assert.equal(host.fs[1][0], '', 'nothing to save after New');
    assert.equal(session.canUndo, false);

    host.setVariable('_level0.LoadSave.exFunc.nLoad', saved);
    host.setVariable('_level0.LoadSave.exFunc.nSave', '1');
    await host.settle();
    assert.equal(host.fs[2][0], saved, 'same bytes back');
    assert.equal(session.sel.notes, 'ノート');
});

test('nLoad with a text the movie cannot use keeps the selection and says why', async () => {
    const { host, session, events } = start({ network: false });
    session.applyCode(cat.examples[1].code);
    const before = session.data();
    host.setVariable('_level0.LoadSave.exFunc.nLoad', 'This is not a selection XML_PARA_VER');
    host.setVariable('_level0.LoadSave.exFunc.nSave', '1');
    await host.settle();
    assert.equal(host.fs[0][0], before);
    assert.equal(events.at(-1), 'loadfailed');
});

test('requests are answered in the order the host made them', async () => {
    const { host, session } = start({ network: false });
    session.choose('type', 'S');
    host.setVariable('_level0.LoadSave.exFunc.nSave', '1');
    host.setVariable('_level0.LoadSave.exFunc.nNew', '1');
    host.setVariable('_level0.LoadSave.exFunc.nSave', '1');
    await host.settle();
    assert.equal(host.fs.length, 2);
    assert.ok(host.fs[0][0].includes('XML_PARA_VER'));
    assert.equal(host.fs[1][0], '');
});

test('without a host the movie runs on its own', () => {
    const session = new Session(cat);
    assert.equal(Contract.attach(undefined, Contract.sessionApp(session, () => {})), false);
    assert.equal(Contract.attach({}, Contract.sessionApp(session, () => {})), false);
});

test('an edit still in progress is committed before the data are handed over', async () => {
    const host = fakeHost({ network: false });
    const session = new Session(cat);
    let typing = 'typed but not yet left';
    Contract.attach(host.bridge, Contract.sessionApp(session, () => {}, () => {
        if (typing) session.setNotes(typing);
        typing = null;
    }));
    host.setVariable('_level0.LoadSave.exFunc.nSave', '1');
    await host.settle();
    assert.equal(host.fs.length, 1);
    assert.ok(host.fs[0][0].includes('<notes>typed but not yet left</notes>'));
});
