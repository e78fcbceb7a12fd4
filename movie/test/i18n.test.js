'use strict';
const test = require('node:test');
const assert = require('node:assert/strict');
const path = require('path');
const { exampleCatalog } = require('./helpers.js');

const I18N = path.join(__dirname, '..', 'src', 'js', 'i18n.js');
function freshI18n() {
    delete require.cache[require.resolve(I18N)];
    return require(I18N);
}

test('both languages have every text', () => {
    const I = freshI18n();
    assert.deepEqual(Object.keys(I.TEXTS.ja).sort(), Object.keys(I.TEXTS.en).sort());
});

test('any locale works, LANG=C included', async (t) => {
    await t.test('language tags', () => {
        const I = freshI18n();
        for (const [tag, lang] of [['C', 'en'], ['POSIX', 'en'], ['', 'en'], [undefined, 'en'], ['ja', 'ja'], ['ja-JP', 'ja'], ['ja_JP.UTF-8', 'ja'], ['en-GB', 'en'], ['jam', 'en']]) {
            assert.equal(I.pickLanguage(tag), lang, String(tag));
        }
    });
    await t.test('an Intl that rejects every locale', () => {
        const saved = globalThis.Intl;
        const reject = () => {
            throw new RangeError('Incorrect locale information provided');
        };
        globalThis.Intl = { NumberFormat: Object.assign(reject, { supportedLocalesOf: reject }) };
        try {
            const I = freshI18n();
            assert.equal(I.formatNumber(1500.5, 'en'), '1500.5');
            assert.equal(I.formatNumber(2, 'ja'), '2');
        } finally {
            globalThis.Intl = saved;
        }
    });
    await t.test('no Intl at all', () => {
        const saved = globalThis.Intl;
        delete globalThis.Intl;
        try {
            assert.equal(freshI18n().formatNumber(0.25, 'en'), '0.25');
        } finally {
            globalThis.Intl = saved;
        }
    });
});

test('reasons and reports read as sentences in both languages', () => {
    const I = freshI18n();
    const Catalog = require('../src/js/catalog.js');
    const cat = exampleCatalog();
    const st = Catalog.optionStatus(cat, { choices: { size: '25' }, reqs: {} }, 'stroke', '450');
    assert.equal(I.reasonText(cat, st.reasons[0], 'en'), 'This size offers strokes up to 400 mm.');
    assert.equal(I.reasonText(cat, st.reasons[0], 'ja'), 'このサイズのストロークは 400 mm までです。');
    const disc = Catalog.optionStatus(cat, { choices: {}, reqs: {} }, 'cable', '10');
    assert.equal(I.reasonText(cat, disc.reasons[0], 'en'), 'Discontinued since catalog 2.0. Successor: R10 Robot cable 10 m');
    for (const lang of ['en', 'ja']) {
        const text = I.loadErrorText(cat, { kind: 'newercatalog', version: '3.0' }, lang);
        assert.match(text, /3\.0/);
        assert.doesNotMatch(text, /\{\w+\}/, 'no placeholder left');
    }
});
