// Shared by the tests: the example catalog as the movie embeds it.
'use strict';
const fs = require('fs');
const path = require('path');
const Catalog = require('../src/js/catalog.js');

const CATALOG_FILE = path.join(__dirname, '..', 'catalog', 'tarvos-n.json');

function rawCatalog() {
    return JSON.parse(fs.readFileSync(CATALOG_FILE, 'utf8'));
}

function exampleCatalog() {
    return Catalog.prepare(rawCatalog());
}

// Small deterministic generator so property-style tests repeat exactly.
function prng(seed) {
    let s = seed >>> 0;
    return () => {
        s = (s + 0x6d2b79f5) >>> 0;
        let t = s;
        t = Math.imul(t ^ (t >>> 15), t | 1);
        t ^= t + Math.imul(t ^ (t >>> 7), t | 61);
        return ((t ^ (t >>> 14)) >>> 0) / 4294967296;
    };
}

module.exports = { CATALOG_FILE, rawCatalog, exampleCatalog, prng };
