// The catalog engine: which options are available for a selection and why not,
// model codes built from choices and choices decoded from codes, derived values,
// specifications and the parts list. Knows nothing about the page.
(function (root, factory) {
    if (typeof module === 'object' && module.exports) {
        module.exports = factory(require('./expr.js'));
    } else {
        (root.BX = root.BX || {}).catalog = factory(root.BX.expr);
    }
})(typeof globalThis !== 'undefined' ? globalThis : this, function (Expr) {
    'use strict';

    class CatalogError extends Error {}

    // Numbers written into codes and data texts: plain decimal, no exponent.
    function numberText(n) {
        if (!Number.isFinite(n)) return '';
        const s = String(Math.round(n * 1e6) / 1e6);
        return s === '-0' ? '0' : s;
    }

    // "2.10" > "2.9": dotted versions compare part by part as integers.
    function compareVersions(a, b) {
        const pa = String(a).split('.').map((x) => parseInt(x, 10) || 0);
        const pb = String(b).split('.').map((x) => parseInt(x, 10) || 0);
        for (let i = 0; i < Math.max(pa.length, pb.length); i++) {
            const d = (pa[i] || 0) - (pb[i] || 0);
            if (d) return d < 0 ? -1 : 1;
        }
        return 0;
    }

    function isVersion(v) {
        return typeof v === 'string' && /^\d+(\.\d+)*$/.test(v);
    }

    // Full-width letters, digits and dashes as typed with a Japanese input method.
    function normalizeCodeInput(text) {
        return String(text)
            .replace(/[\uFF01-\uFF5E]/g, (c) => String.fromCharCode(c.charCodeAt(0) - 0xfee0))
            .replace(/[\u2010-\u2015\u2212\u30FC\uFF70]/g, '-')
            .replace(/[\s\u3000]+/g, '')
            .toUpperCase();
    }

    function prepare(json) {
        if (!json || typeof json !== 'object') throw new CatalogError('catalog is not an object');
        if (json.format !== 1) throw new CatalogError('unsupported catalog format ' + json.format);
        if (typeof json.id !== 'string' || !json.id) throw new CatalogError('catalog id missing');
        if (!isVersion(json.version)) throw new CatalogError('catalog version missing or malformed');
        if (!Array.isArray(json.steps) || json.steps.length === 0) {
            throw new CatalogError('catalog has no steps');
        }
        const cat = {
            raw: json,
            id: json.id,
            version: json.version,
            languages: json.languages || ['en'],
            name: json.name || {},
            prefix: (json.code && json.code.prefix) || '',
            separator: (json.code && json.code.separator) || '-',
            documents: json.documents || [],
            history: json.history || [],
            retired: json.retired || [],
            notice: json.notice || {},
            baseParts: json.baseParts || [],
            examples: json.examples || [],
            steps: [],
            stepById: new Map(),
            requirements: [],
            reqById: new Map(),
            derived: [],
            derivedById: new Map(),
            rules: [],
        };

        for (const r of json.requirements || []) {
            if (cat.reqById.has(r.id)) throw new CatalogError(`duplicate requirement "${r.id}"`);
            const req = {
                id: r.id,
                kind: r.kind === 'choice' ? 'choice' : 'number',
                unit: r.unit || '',
                min: r.min,
                max: r.max,
                label: r.label || {},
                help: r.help || {},
                options: r.options || [],
            };
            cat.requirements.push(req);
            cat.reqById.set(req.id, req);
        }

        json.steps.forEach((s, index) => {
            if (typeof s.id !== 'string' || !s.id) throw new CatalogError(`step ${index + 1} has no id`);
            if (cat.stepById.has(s.id)) throw new CatalogError(`duplicate step "${s.id}"`);
            const step = {
                id: s.id,
                index,
                kind: s.kind === 'range' ? 'range' : 'list',
                join: index === 0 ? '' : typeof s.join === 'string' ? s.join : cat.separator,
                unit: s.unit || '',
                label: s.label || {},
                help: s.help || {},
                options: [],
                byId: new Map(),
            };
            if (step.kind === 'range') {
                if (!(s.step > 0) || !(s.max >= s.min)) {
                    throw new CatalogError(`range step "${s.id}" needs min <= max and step > 0`);
                }
                const count = Math.floor((s.max - s.min) / s.step + 1e-9) + 1;
                if (count > 500) throw new CatalogError(`range step "${s.id}" has too many values`);
                for (let k = 0; k < count; k++) {
                    const v = Math.round((s.min + k * s.step) * 1e6) / 1e6;
                    const text = numberText(v);
                    step.options.push({ id: text, code: text, value: v, attrs: {}, parts: [], range: true });
                }
            } else {
                for (const o of s.options || []) {
                    step.options.push({
                        id: String(o.id),
                        code: String(o.code !== undefined ? o.code : o.id),
                        label: o.label || {},
                        desc: o.desc || {},
                        attrs: o.attrs || {},
                        value: typeof o.value === 'number' ? o.value : undefined,
                        parts: o.parts || [],
                        discontinued: o.discontinued || null,
                    });
                }
            }
            for (const o of step.options) {
                if (step.byId.has(o.id)) throw new CatalogError(`duplicate option "${o.id}" in step "${s.id}"`);
                o.step = step;
                step.byId.set(o.id, o);
            }
            if (step.options.length === 0) throw new CatalogError(`step "${s.id}" has no options`);
            step.active = step.options.filter((o) => !o.discontinued);
            cat.steps.push(step);
            cat.stepById.set(step.id, step);
        });
        for (const step of cat.steps) {
            for (const o of step.options) {
                if (o.discontinued && o.discontinued.successor !== undefined) {
                    const succ = step.byId.get(String(o.discontinued.successor));
                    if (!succ) {
                        throw new CatalogError(`successor "${o.discontinued.successor}" of "${step.id}.${o.id}" is unknown`);
                    }
                    o.successor = succ;
                }
            }
        }

        // Names in expressions: "step" (value of a range option), "step.attr",
        // "req.id", "derived.id". Each resolves to a function of the environment.
        const resolvers = new Map();
        function resolver(name) {
            if (resolvers.has(name)) return resolvers.get(name);
            const dot = name.indexOf('.');
            const head = dot < 0 ? name : name.slice(0, dot);
            const tail = dot < 0 ? null : name.slice(dot + 1);
            let r;
            if (head === 'req') {
                const req = cat.reqById.get(tail);
                if (!req || req.kind !== 'number') throw new CatalogError(`unknown number requirement "${tail}"`);
                r = { steps: [], reqs: [tail], fn: (env) => env.reqs[tail] };
            } else if (head === 'derived') {
                const d = cat.derivedById.get(tail);
                if (!d) throw new CatalogError(`unknown derived value "${tail}" (define it before use)`);
                r = { steps: [...d.steps], reqs: [...d.reqs], fn: (env) => d.expr.evaluate(env.lookup) };
            } else {
                const step = cat.stepById.get(head);
                if (!step) throw new CatalogError(`unknown step "${head}"`);
                const idx = step.index;
                if (tail === null) {
                    if (!step.options.every((o) => typeof o.value === 'number')) {
                        throw new CatalogError(`step "${head}" has no numeric value; name an attribute`);
                    }
                    r = { steps: [head], reqs: [], fn: (env) => env.assign[idx].value };
                } else {
                    const missing = step.active.filter((o) => typeof o.attrs[tail] !== 'number');
                    if (missing.length) {
                        throw new CatalogError(`attribute "${tail}" missing on ${head}: ${missing.map((o) => o.id).join(', ')}`);
                    }
                    r = { steps: [head], reqs: [], fn: (env) => env.assign[idx].attrs[tail] };
                }
            }
            resolvers.set(name, r);
            return r;
        }
        function compileWithDeps(source, where) {
            let c;
            try {
                c = Expr.compile(source);
            } catch (e) {
                throw new CatalogError(`${where}: ${e.message}`);
            }
            const steps = new Set();
            const reqs = new Set();
            for (const name of c.refs) {
                let r;
                try {
                    r = resolver(name);
                } catch (e) {
                    throw new CatalogError(`${where}: ${e.message}`);
                }
                r.steps.forEach((s) => steps.add(s));
                r.reqs.forEach((q) => reqs.add(q));
            }
            return { expr: c, steps, reqs };
        }

        for (const d of json.derived || []) {
            if (cat.derivedById.has(d.id)) throw new CatalogError(`duplicate derived value "${d.id}"`);
            const { expr, steps, reqs } = compileWithDeps(d.expr, `derived "${d.id}"`);
            const dv = { id: d.id, unit: d.unit || '', label: d.label || {}, expr, steps, reqs };
            cat.derived.push(dv);
            cat.derivedById.set(dv.id, dv);
        }

        function conditions(map, where) {
            const out = [];
            for (const key of Object.keys(map || {})) {
                const values = (Array.isArray(map[key]) ? map[key] : [map[key]]).map(String);
                if (key.startsWith('req.')) {
                    const id = key.slice(4);
                    const req = cat.reqById.get(id);
                    if (!req) throw new CatalogError(`${where}: unknown requirement "${id}"`);
                    if (req.kind === 'choice') {
                        for (const v of values) {
                            if (!req.options.some((o) => o.id === v)) {
                                throw new CatalogError(`${where}: unknown value "${v}" of requirement "${id}"`);
                            }
                        }
                    }
                    out.push({ req: id, values });
                } else {
                    const step = cat.stepById.get(key);
                    if (!step) throw new CatalogError(`${where}: unknown step "${key}"`);
                    for (const v of values) {
                        if (!step.byId.has(v)) throw new CatalogError(`${where}: unknown option "${key}.${v}"`);
                    }
                    out.push({ step: step.index, stepId: key, values });
                }
            }
            return out;
        }

        for (const r of json.rules || []) {
            const where = `rule "${r.id}"`;
            const kind = r.kind;
            if (!['exclude', 'require', 'limit'].includes(kind)) {
                throw new CatalogError(`${where}: unknown kind "${kind}"`);
            }
            const rule = {
                id: r.id,
                kind,
                since: r.since || null,
                title: r.title || {},
                reason: r.reason || {},
                unit: r.unit || '',
                when: conditions(kind === 'exclude' ? r.match : r.when, where),
                then: kind === 'require' ? conditions(r.then, where) : [],
                steps: new Set(),
                reqs: new Set(),
            };
            if (kind === 'exclude' && rule.when.length < 1) throw new CatalogError(`${where}: empty match`);
            if (kind === 'require' && rule.then.length < 1) throw new CatalogError(`${where}: empty then`);
            for (const c of [...rule.when, ...rule.then]) {
                if (c.req) rule.reqs.add(c.req);
                else rule.steps.add(c.stepId);
            }
            if (kind === 'limit') {
                if (r.value === undefined || (r.max === undefined && r.min === undefined)) {
                    throw new CatalogError(`${where}: a limit needs value and max or min`);
                }
                for (const key of ['value', 'max', 'min']) {
                    if (r[key] === undefined) continue;
                    const c = compileWithDeps(r[key], where);
                    rule[key] = c.expr;
                    c.steps.forEach((s) => rule.steps.add(s));
                    c.reqs.forEach((q) => rule.reqs.add(q));
                }
            }
            rule.stepIdx = [...rule.steps].map((s) => cat.stepById.get(s).index);
            cat.rules.push(rule);
        }
        cat.rulesByStep = cat.steps.map((s) => cat.rules.filter((r) => r.steps.has(s.id)));
        return cat;
    }

    // ---- selections -------------------------------------------------------

    // A selection: { choices: { stepId: optionId }, reqs: { reqId: number|string } }.
    // Internally an assignment is an array of option objects (or null) by step index.
    function toAssign(cat, choices, upTo) {
        const a = new Array(cat.steps.length).fill(null);
        for (const step of cat.steps) {
            if (upTo !== undefined && step.index >= upTo) break;
            const id = choices && choices[step.id];
            if (id !== undefined && id !== null) a[step.index] = step.byId.get(String(id)) || null;
        }
        return a;
    }

    function lookupFor(cat) {
        if (!cat._lookup) {
            const cache = new Map();
            cat._lookup = (env, name) => {
                let fn = cache.get(name);
                if (!fn) {
                    fn = resolveRuntime(cat, name);
                    cache.set(name, fn);
                }
                return fn(env);
            };
        }
        return cat._lookup;
    }
    function resolveRuntime(cat, name) {
        const dot = name.indexOf('.');
        const head = dot < 0 ? name : name.slice(0, dot);
        const tail = dot < 0 ? null : name.slice(dot + 1);
        if (head === 'req') return (env) => Number(env.reqs[tail]);
        if (head === 'derived') {
            const d = cat.derivedById.get(tail);
            return (env) => d.expr.evaluate(env.lookup);
        }
        const idx = cat.stepById.get(head).index;
        if (tail === null) return (env) => env.assign[idx].value;
        return (env) => env.assign[idx].attrs[tail];
    }
    function envFor(cat, assign, reqs) {
        const lookup = lookupFor(cat);
        const env = { assign, reqs: reqs || {} };
        env.lookup = (name) => lookup(env, name);
        return env;
    }

    function reqEntered(reqs, id) {
        return reqs && reqs[id] !== undefined && reqs[id] !== null && reqs[id] !== '';
    }

    // 'na' (does not apply), 'open' (needs a step not yet assigned), 'ok', or a
    // failure { fail: true, value, limit }.
    function ruleStatus(cat, rule, env, skip) {
        if (skip && skip.includes(rule)) return 'na';
        const { assign, reqs } = env;
        for (const q of rule.reqs) if (!reqEntered(reqs, q)) return 'na';
        let open = false;
        for (const c of rule.when) {
            if (c.req !== undefined) {
                if (!c.values.includes(String(reqs[c.req]))) return 'na';
            } else {
                const o = assign[c.step];
                if (!o) open = true;
                else if (!c.values.includes(o.id)) return 'na';
            }
        }
        if (open) return 'open';
        for (const i of rule.stepIdx) if (!assign[i]) return 'open';
        if (rule.kind === 'exclude') return { fail: true };
        if (rule.kind === 'require') {
            for (const c of rule.then) {
                if (c.req !== undefined) {
                    if (!c.values.includes(String(reqs[c.req]))) return { fail: true };
                } else if (!c.values.includes(assign[c.step].id)) {
                    return { fail: true };
                }
            }
            return 'ok';
        }
        const value = rule.value.evaluate(env.lookup);
        const eps = 1e-9;
        if (rule.max) {
            const max = rule.max.evaluate(env.lookup);
            if (!(value <= max + eps)) return { fail: true, value, limit: max, bound: 'max' };
        }
        if (rule.min) {
            const min = rule.min.evaluate(env.lookup);
            if (!(value >= min - eps)) return { fail: true, value, limit: min, bound: 'min' };
        }
        return 'ok';
    }

    // Is there any way to complete `fixed` (null = free) so that every rule holds?
    // Depth-first with the smallest domains first; rules are checked as soon as
    // all their steps are assigned.
    function solvable(cat, fixed, reqs, skip) {
        const assign = fixed.slice();
        const env = envFor(cat, assign, reqs);
        for (const rule of cat.rules) {
            const st = ruleStatus(cat, rule, env, skip);
            if (st && st.fail) return false;
        }
        const free = [];
        for (const step of cat.steps) {
            if (assign[step.index]) continue;
            // Forward check: options that fail on their own with the fixed steps.
            const domain = step.active.filter((o) => {
                assign[step.index] = o;
                const ok = cat.rulesByStep[step.index].every((r) => {
                    const st = ruleStatus(cat, r, env, skip);
                    return !(st && st.fail);
                });
                assign[step.index] = null;
                return ok;
            });
            if (domain.length === 0) return false;
            free.push({ index: step.index, domain });
        }
        free.sort((a, b) => a.domain.length - b.domain.length);
        function dfs(k) {
            if (k === free.length) return true;
            const { index, domain } = free[k];
            const rules = cat.rulesByStep[index];
            for (const o of domain) {
                assign[index] = o;
                let ok = true;
                for (const r of rules) {
                    const st = ruleStatus(cat, r, env, skip);
                    if (st && st.fail) {
                        ok = false;
                        break;
                    }
                }
                if (ok && dfs(k + 1)) {
                    assign[index] = null;
                    return true;
                }
            }
            assign[index] = null;
            return false;
        }
        return dfs(0);
    }

    // Steps and requirements a failing rule depends on, other than `self`, that the
    // user has set: these are what to change to make the option available.
    function fixHints(cat, rule, fixed, reqs, selfIndex) {
        const hints = [];
        for (const step of cat.steps) {
            if (step.index === selfIndex || !rule.steps.has(step.id)) continue;
            if (fixed[step.index]) hints.push({ kind: 'step', id: step.id });
        }
        for (const req of cat.requirements) {
            if (rule.reqs.has(req.id) && reqEntered(reqs, req.id)) hints.push({ kind: 'req', id: req.id });
        }
        return hints;
    }

    // Availability of one option at a step, judged against the choices of the
    // steps before it and the requirements; later steps only need some way to be
    // completed, so no step is ever left with nothing to choose.
    function optionStatus(cat, sel, stepId, optionId) {
        const step = cat.stepById.get(stepId);
        const option = step.byId.get(String(optionId));
        if (!option) return { available: false, reasons: [{ kind: 'unknown' }] };
        if (option.discontinued) {
            return {
                available: false,
                reasons: [{ kind: 'discontinued', since: option.discontinued.since, successor: option.successor || null }],
            };
        }
        const reqs = sel.reqs || {};
        const fixed = toAssign(cat, sel.choices, step.index);
        fixed[step.index] = option;
        const env = envFor(cat, fixed, reqs);
        const reasons = [];
        for (const rule of cat.rules) {
            const st = ruleStatus(cat, rule, env);
            if (st && st.fail) {
                reasons.push({
                    kind: 'rule',
                    rule,
                    direct: true,
                    value: st.value,
                    limit: st.limit,
                    fix: fixHints(cat, rule, fixed, reqs, step.index),
                });
            }
        }
        if (reasons.length) return { available: false, reasons };
        if (solvable(cat, fixed, reqs)) return { available: true, reasons: [] };
        reasons.push(...blockingRules(cat, fixed, reqs, step.index));
        return { available: false, reasons };
    }

    // Why `fixed` cannot be completed: the rules without which it could be (or,
    // when no single rule is to blame, the pairs of them).
    function blockingRules(cat, fixed, reqs, selfIndex) {
        const hint = (rule) => ({ kind: 'rule', rule, direct: false, fix: fixHints(cat, rule, fixed, reqs, selfIndex) });
        // Rules tied to something the user set come first: those are what can be
        // changed. The others only matter when nothing the user set is to blame.
        const preferred = (list) => {
            const hinted = list.map(hint);
            const changeable = hinted.filter((r) => r.fix.length);
            return changeable.length ? changeable : hinted;
        };
        const single = cat.rules.filter((rule) => solvable(cat, fixed, reqs, [rule]));
        if (single.length) return preferred(single);
        const found = new Set();
        for (let i = 0; i < cat.rules.length; i++) {
            for (let j = i + 1; j < cat.rules.length; j++) {
                if (solvable(cat, fixed, reqs, [cat.rules[i], cat.rules[j]])) {
                    found.add(cat.rules[i]);
                    found.add(cat.rules[j]);
                }
            }
        }
        if (found.size) return preferred([...found]);
        return [{ kind: 'nocombination' }];
    }

    function stepStatus(cat, sel, stepId) {
        const step = cat.stepById.get(stepId);
        return step.options.map((o) => ({ option: o, ...optionStatus(cat, sel, stepId, o.id) }));
    }

    // Can the requirements be met at all (with no choices)? Returns the blocking
    // rules when not.
    function requirementsFeasible(cat, reqs, choices) {
        const fixed = toAssign(cat, choices || {});
        if (solvable(cat, fixed, reqs)) return { feasible: true, reasons: [] };
        return { feasible: false, reasons: blockingRules(cat, fixed, reqs, -1) };
    }

    // Walks the steps in order and drops every choice that is no longer available
    // with the ones before it. Returns the new choices and what was dropped.
    function revalidate(cat, sel) {
        const choices = {};
        const dropped = [];
        for (const step of cat.steps) {
            const id = sel.choices[step.id];
            if (id === undefined || id === null) continue;
            const st = optionStatus(cat, { choices, reqs: sel.reqs }, step.id, id);
            if (st.available) choices[step.id] = String(id);
            else dropped.push({ step: step.id, option: String(id), reasons: st.reasons });
        }
        return { choices, dropped };
    }

    // ---- codes ------------------------------------------------------------

    function buildCode(cat, choices) {
        const segments = cat.steps.map((step) => {
            const o = choices && choices[step.id] !== undefined ? step.byId.get(String(choices[step.id])) : null;
            return { stepId: step.id, join: step.join, text: o ? o.code : '?', open: !o };
        });
        const text = cat.prefix + segments.map((s) => s.join + s.text).join('');
        return { text, segments, complete: segments.every((s) => !s.open) };
    }

    // Decodes a typed or pasted code. Every segment is checked on its own: an
    // unknown code, a discontinued option (with its successor) or an option that
    // the earlier segments or the requirements rule out gives an error for that
    // segment. "?" leaves a segment open.
    function decodeCode(cat, input, reqs) {
        const text = normalizeCodeInput(input);
        const errors = [];
        const choices = {};
        if (!text) return { text, choices, errors: [{ kind: 'empty' }] };
        if (!text.startsWith(cat.prefix.toUpperCase())) {
            return { text, choices, errors: [{ kind: 'prefix', expected: cat.prefix, found: text.slice(0, cat.prefix.length) }] };
        }
        let pos = cat.prefix.length;
        const valid = {};
        for (let i = 0; i < cat.steps.length; i++) {
            const step = cat.steps[i];
            if (pos >= text.length) {
                errors.push({ kind: 'missing', step: step.id });
                continue;
            }
            if (step.join && !text.startsWith(step.join, pos)) {
                errors.push({ kind: 'syntax', step: step.id, found: text.slice(pos) });
                break;
            }
            pos += step.join.length;
            const next = cat.steps[i + 1];
            let seg;
            if (!next || next.join) {
                // The last segment ends at a further separator too: what follows is extra.
                const end = text.indexOf(next ? next.join : cat.separator, pos);
                seg = end < 0 ? text.slice(pos) : text.slice(pos, end);
            } else {
                // The next segment follows without a separator: take the longest code.
                const codes = step.options.map((o) => o.code.toUpperCase()).concat(['?']);
                seg = codes.filter((c) => text.startsWith(c, pos)).sort((a, b) => b.length - a.length)[0];
                if (seg === undefined) {
                    const m = /^[A-Z0-9]/.exec(text.slice(pos));
                    seg = m ? m[0] : text.slice(pos, pos + 1);
                }
            }
            pos += seg.length;
            if (seg === '?') continue;
            if (seg === '') {
                errors.push({ kind: 'missing', step: step.id });
                continue;
            }
            const option = step.options.find((o) => o.code.toUpperCase() === seg);
            if (!option) {
                errors.push({ kind: 'unknown', step: step.id, segment: seg });
                continue;
            }
            choices[step.id] = option.id;
            const st = optionStatus(cat, { choices: valid, reqs }, step.id, option.id);
            if (!st.available) {
                errors.push({ kind: 'unavailable', step: step.id, segment: seg, option: option.id, reasons: st.reasons });
            } else {
                valid[step.id] = option.id;
            }
        }
        if (pos < text.length && !errors.some((e) => e.kind === 'syntax')) {
            errors.push({ kind: 'extra', found: text.slice(pos) });
        }
        return { text, choices, errors };
    }

    // ---- derived values, specifications, parts ----------------------------

    function derivedValues(cat, sel) {
        const assign = toAssign(cat, sel.choices);
        const env = envFor(cat, assign, sel.reqs || {});
        const out = {};
        for (const d of cat.derived) {
            let ready = true;
            for (const s of d.steps) if (!assign[cat.stepById.get(s).index]) ready = false;
            for (const q of d.reqs) if (!reqEntered(sel.reqs, q)) ready = false;
            out[d.id] = ready ? d.expr.evaluate(env.lookup) : null;
        }
        return out;
    }

    function partsList(cat, choices) {
        const code = buildCode(cat, choices);
        const subst = (tpl) =>
            String(tpl).replace(/\{([A-Za-z0-9_]+)\}/g, (m, key) => {
                if (key === 'code') return code.text;
                const seg = code.segments.find((s) => s.stepId === key);
                return seg ? seg.text : m;
            });
        const list = [];
        const add = (p) => {
            const part = subst(p.part);
            const existing = list.find((x) => x.part === part);
            const qty = typeof p.qty === 'number' ? p.qty : 1;
            if (existing) existing.qty += qty;
            else list.push({ part, name: p.name || {}, qty });
        };
        cat.baseParts.forEach(add);
        for (const step of cat.steps) {
            const id = choices[step.id];
            if (id === undefined) continue;
            const o = step.byId.get(String(id));
            if (o) o.parts.forEach(add);
        }
        return list;
    }

    function isEmptySelection(sel) {
        return (
            Object.keys(sel.choices || {}).length === 0 &&
            !Object.keys(sel.reqs || {}).some((k) => reqEntered(sel.reqs, k)) &&
            !(sel.notes && sel.notes.length)
        );
    }

    return {
        CatalogError,
        prepare,
        compareVersions,
        isVersion,
        numberText,
        normalizeCodeInput,
        optionStatus,
        stepStatus,
        requirementsFeasible,
        revalidate,
        solvable: (cat, choices, reqs) => solvable(cat, toAssign(cat, choices), reqs),
        buildCode,
        decodeCode,
        derivedValues,
        partsList,
        isEmptySelection,
        reqEntered,
    };
});
