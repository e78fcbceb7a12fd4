#!/usr/bin/env node
// Checks a catalog file before it goes into the movie:
//   node movie/tools/check-catalog.js path/to/catalog.json
// Reports unknown ids, duplicate ids and codes, options no selection can reach,
// missing translations, malformed expressions and example codes that do not decode
// to their expected choices. Exit status 0 when clean, 1 when anything is wrong.
'use strict';

const fs = require('fs');
const path = require('path');
const Catalog = require(path.join(__dirname, '..', 'src', 'js', 'catalog.js'));

function checkCatalog(json) {
    const errors = [];
    const err = (msg) => errors.push(msg);

    if (!json || typeof json !== 'object' || Array.isArray(json)) {
        return { errors: ['the catalog is not a JSON object'] };
    }
    if (json.format !== 1) err(`format: expected 1, found ${JSON.stringify(json.format)}`);
    if (typeof json.id !== 'string' || !json.id) err('id: missing');
    if (!Catalog.isVersion(json.version)) err(`version: expected digits and dots, found ${JSON.stringify(json.version)}`);
    const languages = Array.isArray(json.languages) && json.languages.length ? json.languages : null;
    if (!languages) err('languages: missing');
    const steps = Array.isArray(json.steps) ? json.steps : [];
    if (!steps.length) err('steps: missing');
    const requirements = Array.isArray(json.requirements) ? json.requirements : [];
    const separator = (json.code && json.code.separator) || '-';

    // ---- translations ---------------------------------------------------------
    function texts(obj, where, optional) {
        if (obj === undefined && optional) return;
        if (!obj || typeof obj !== 'object') {
            err(`${where}: text missing`);
            return;
        }
        for (const lang of languages || []) {
            if (typeof obj[lang] !== 'string' || obj[lang].trim() === '') err(`${where}: translation "${lang}" missing`);
        }
    }
    texts(json.name, 'name');
    texts(json.notice, 'notice');
    (json.history || []).forEach((h, i) => {
        if (!Catalog.isVersion(h.version)) err(`history[${i}]: bad version`);
        else if (Catalog.isVersion(json.version) && Catalog.compareVersions(h.version, json.version) > 0) {
            err(`history[${i}]: version ${h.version} is newer than the catalog`);
        }
        texts(h.note, `history ${h.version}`, true);
    });
    (json.documents || []).forEach((d, i) => {
        texts(d.label, `document ${d.id || i}`);
        if (typeof d.url !== 'string' || !/^https:\/\/[^\s"<>]+$/.test(d.url)) err(`document ${d.id || i}: url must be a plain https address`);
    });
    (json.baseParts || []).forEach((p, i) => texts(p.name, `baseParts[${i}]`));

    // ---- ids, codes -------------------------------------------------------------
    const seen = (list, what) => {
        const ids = new Set();
        for (const x of list) {
            const id = x && x.id !== undefined ? String(x.id) : '';
            if (!id) err(`${what}: entry without id`);
            else if (ids.has(id)) err(`${what}: duplicate id "${id}"`);
            ids.add(id);
        }
        return ids;
    };
    const reqIds = seen(requirements, 'requirements');
    for (const r of requirements) {
        texts(r.label, `requirement ${r.id}`);
        texts(r.help, `requirement ${r.id} help`, true);
        if (r.kind === 'choice') {
            seen(r.options || [], `requirement ${r.id} options`);
            (r.options || []).forEach((o) => texts(o.label, `requirement ${r.id}.${o.id}`));
        } else {
            if (typeof r.min !== 'number' || typeof r.max !== 'number' || r.min > r.max) err(`requirement ${r.id}: needs numbers min <= max`);
            if (!r.unit) err(`requirement ${r.id}: unit missing`);
        }
    }
    const stepIds = seen(steps, 'steps');
    const optionIds = new Map();
    steps.forEach((s, index) => {
        texts(s.label, `step ${s.id}`);
        texts(s.help, `step ${s.id} help`, true);
        if (s.kind === 'range') {
            if (typeof s.min !== 'number' || typeof s.max !== 'number' || !(s.step > 0) || s.min > s.max) {
                err(`step ${s.id}: a range needs numbers min <= max and step > 0`);
            }
            optionIds.set(s.id, new Set());
            return;
        }
        const options = Array.isArray(s.options) ? s.options : [];
        if (!options.length) err(`step ${s.id}: no options`);
        optionIds.set(s.id, seen(options, `step ${s.id} options`));
        const codes = new Map();
        for (const o of options) {
            const code = String(o.code !== undefined ? o.code : o.id);
            const key = code.toUpperCase();
            if (!code || code === '?' || code.includes(separator) || /\s/.test(code)) err(`${s.id}.${o.id}: code "${code}" cannot be written in a model code`);
            if (codes.has(key)) err(`${s.id}: duplicate code "${code}" (${codes.get(key)} and ${o.id})`);
            codes.set(key, o.id);
            texts(o.label, `${s.id}.${o.id}`);
            texts(o.desc, `${s.id}.${o.id} desc`, true);
            (o.parts || []).forEach((p, i) => texts(p.name, `${s.id}.${o.id} parts[${i}]`));
            if (o.discontinued) {
                const d = o.discontinued;
                if (!Catalog.isVersion(d.since)) err(`${s.id}.${o.id}: discontinued without a version "since"`);
                if (d.successor !== undefined && !options.some((x) => String(x.id) === String(d.successor))) {
                    err(`${s.id}.${o.id}: unknown successor "${d.successor}"`);
                }
                const succ = options.find((x) => String(x.id) === String(d.successor));
                if (succ && succ.discontinued) err(`${s.id}.${o.id}: successor "${succ.id}" is discontinued too`);
            }
        }
        if (index > 0 && s.join === '' && options.some((a) => options.some((b) => a !== b && String(b.code || b.id).startsWith(String(a.code || a.id))))) {
            err(`step ${s.id}: codes without a separator must not start with one another`);
        }
    });
    for (const r of json.retired || []) {
        if (!stepIds.has(r.step)) err(`retired ${r.step}.${r.id}: unknown step`);
        else if (optionIds.get(r.step).has(String(r.id))) err(`retired ${r.step}.${r.id}: still an option of the step`);
        texts(r.label, `retired ${r.step}.${r.id}`);
    }
    const derivedIds = seen(json.derived || [], 'derived');
    for (const d of json.derived || []) texts(d.label, `derived ${d.id}`);
    seen(json.rules || [], 'rules');

    function conditionIds(map, where) {
        for (const key of Object.keys(map || {})) {
            const values = Array.isArray(map[key]) ? map[key] : [map[key]];
            if (key.startsWith('req.')) {
                const req = requirements.find((r) => r.id === key.slice(4));
                if (!req) err(`${where}: unknown requirement "${key.slice(4)}"`);
                else if (req.kind === 'choice') {
                    for (const v of values) if (!(req.options || []).some((o) => o.id === String(v))) err(`${where}: unknown value "${v}" of ${key}`);
                }
            } else if (!stepIds.has(key)) {
                err(`${where}: unknown step "${key}"`);
            } else {
                const step = steps.find((s) => s.id === key);
                for (const v of values) {
                    const ok = step.kind === 'range' ? rangeHas(step, Number(v)) : optionIds.get(key).has(String(v));
                    if (!ok) err(`${where}: unknown option "${key}.${v}"`);
                }
            }
        }
    }
    for (const r of json.rules || []) {
        const where = `rule ${r.id}`;
        if (!['exclude', 'require', 'limit'].includes(r.kind)) err(`${where}: unknown kind "${r.kind}"`);
        texts(r.title, where + ' title');
        texts(r.reason, where + ' reason');
        if (r.since !== undefined && !Catalog.isVersion(r.since)) err(`${where}: bad "since"`);
        conditionIds(r.kind === 'exclude' ? r.match : r.when, where);
        if (r.kind === 'require') conditionIds(r.then, where);
    }
    for (const [i, ex] of (json.examples || []).entries()) {
        for (const [stepId, optionId] of Object.entries(ex.choices || {})) {
            if (!stepIds.has(stepId)) err(`example ${ex.code || i}: unknown step "${stepId}"`);
        }
    }
    void reqIds;
    void derivedIds;

    if (errors.length) return { errors };

    // ---- what the engine makes of it -----------------------------------------
    let cat;
    try {
        cat = Catalog.prepare(json);
    } catch (e) {
        errors.push(e.message);
        return { errors };
    }
    const empty = { choices: {}, reqs: {} };
    for (const step of cat.steps) {
        for (const o of step.active) {
            const st = Catalog.optionStatus(cat, empty, step.id, o.id);
            if (!st.available) err(`${step.id}.${o.id}: unreachable, no selection can include it`);
        }
    }
    for (const [i, ex] of cat.examples.entries()) {
        const name = `example ${ex.code || i}`;
        const decoded = Catalog.decodeCode(cat, ex.code || '', {});
        if (decoded.errors.length) err(`${name}: does not decode (${decoded.errors.map((e) => e.kind + (e.step ? ' ' + e.step : '')).join(', ')})`);
        const expected = Object.fromEntries(Object.entries(ex.choices || {}).map(([k, v]) => [k, String(v)]));
        const keys = new Set([...Object.keys(expected), ...Object.keys(decoded.choices)]);
        for (const k of keys) {
            if (expected[k] !== decoded.choices[k]) err(`${name}: ${k} decodes to ${decoded.choices[k]}, expected ${expected[k]}`);
        }
        const built = Catalog.buildCode(cat, expected).text;
        if (built !== ex.code) err(`${name}: its choices build the code ${built}`);
    }
    // Every derived value must give a number for every complete selection that
    // the examples show.
    for (const ex of cat.examples) {
        const values = Catalog.derivedValues(cat, { choices: ex.choices || {}, reqs: {} });
        for (const [id, v] of Object.entries(values)) {
            if (v !== null && !Number.isFinite(v)) err(`derived ${id}: no number for example ${ex.code}`);
        }
    }
    return { errors };
}

function rangeHas(step, v) {
    if (!Number.isFinite(v) || v < step.min || v > step.max) return false;
    const k = (v - step.min) / step.step;
    return Math.abs(k - Math.round(k)) < 1e-9;
}

function main(argv) {
    const file = argv[2];
    if (!file) {
        process.stderr.write('usage: check-catalog.js CATALOG.json\n');
        return 2;
    }
    let json;
    try {
        json = JSON.parse(fs.readFileSync(file, 'utf8'));
    } catch (e) {
        process.stderr.write(`${file}: ${e.message}\n`);
        return 1;
    }
    const { errors } = checkCatalog(json);
    for (const e of errors) process.stderr.write(`${file}: ${e}\n`);
    if (!errors.length) process.stdout.write(`${file}: catalog ${json.id} ${json.version} is fine\n`);
    return errors.length ? 1 : 0;
}

if (require.main === module) process.exitCode = main(process.argv);

module.exports = { checkCatalog };
