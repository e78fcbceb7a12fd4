'use strict';
// Checks the built Brennix.html (path in BRENNIX_MOVIE_HTML, set by CTest): one
// file that needs nothing from outside, whose scripts work as plain page scripts.
const test = require('node:test');
const assert = require('node:assert/strict');
const fs = require('fs');
const vm = require('vm');
const { rawCatalog } = require('./helpers.js');

const FILE = process.env.BRENNIX_MOVIE_HTML;
const skip = !FILE || !fs.existsSync(FILE) ? 'BRENNIX_MOVIE_HTML not built' : false;

function parts(html) {
    const json = /<script type="application\/json" id="bx-catalog">([\s\S]*?)<\/script>/.exec(html);
    const scripts = [...html.matchAll(/<script>([\s\S]*?)<\/script>/g)].map((m) => m[1]);
    return { json: json && json[1], scripts, outside: html.replace(json ? json[0] : '', '') };
}

test('the movie refers to nothing outside itself', { skip }, () => {
    const html = fs.readFileSync(FILE, 'utf8');
    const { json, outside } = parts(html);
    assert.ok(json, 'catalog embedded');
    assert.deepEqual(JSON.parse(json), rawCatalog(), 'the catalog as written by the maker');
    assert.doesNotMatch(outside, /<link\b|<iframe\b|<img\b|<[a-z]+\s[^>]*\bsrc\s*=|@import|url\(|@font-face/i);
    assert.doesNotMatch(outside, /https?:\/\//i, 'addresses only in the catalog documents');
    assert.doesNotMatch(outside, /\bfetch\(|XMLHttpRequest|WebSocket|EventSource|sendBeacon/);
    assert.doesNotMatch(outside, /^\s*(import|export)\s/m, 'no ES modules');
    assert.match(html, /Content-Security-Policy" content="default-src 'none'/);
});

test('the inline scripts build the namespace and work without Node', { skip }, () => {
    const html = fs.readFileSync(FILE, 'utf8');
    const { json, scripts } = parts(html);
    const listeners = [];
    const context = {
        document: { readyState: 'loading', addEventListener: (type, fn) => listeners.push(type) },
        navigator: { language: 'C', onLine: false },
        setTimeout,
    };
    vm.createContext(context);
    for (const s of scripts) vm.runInContext(s, context, { filename: 'Brennix.html' });
    const BX = context.BX;
    for (const m of ['expr', 'catalog', 'datatext', 'session', 'contract', 'i18n', 'ui']) assert.ok(BX[m], m);
    assert.deepEqual(listeners, ['DOMContentLoaded']);
    // LANG=C: the language "C" is no locale; the page falls back to English.
    assert.equal(BX.i18n.pickLanguage('C'), 'en');
    assert.equal(typeof BX.i18n.formatNumber(1500, 'en'), 'string');

    const cat = BX.catalog.prepare(JSON.parse(json));
    const session = new BX.session.Session(cat);
    const sent = [];
    const bridge = {
        set() {},
        watch() {},
        addCallback() {},
        externalCall() {},
        fsCommand: (c) => sent.push(c),
    };
    assert.equal(BX.contract.attach(bridge, BX.contract.sessionApp(session, () => {})), true);
    session.applyCode(cat.examples[0].code);
    const text = session.data();
    const other = new BX.session.Session(cat);
    assert.equal(other.load(text).ok, true);
    assert.equal(other.data(), text);
});
