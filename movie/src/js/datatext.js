// The data text: the selection as the host stores it. Canonical XML — fixed element
// order, no whitespace between elements, and every character outside printable
// ASCII written as a character reference — so that the same selection always gives
// the same bytes, whatever code page the host converts it with.
(function (root, factory) {
    if (typeof module === 'object' && module.exports) {
        module.exports = factory(require('./catalog.js'));
    } else {
        (root.BX = root.BX || {}).datatext = factory(root.BX.catalog);
    }
})(typeof globalThis !== 'undefined' ? globalThis : this, function (Catalog) {
    'use strict';

    const FORMAT_VERSION = '1';
    const ROOT = 'BrennixSelection';
    const MARKER = 'XML_PARA_VER';

    function escape(text, inAttribute) {
        let out = '';
        for (const ch of String(text)) {
            const cp = ch.codePointAt(0);
            if (ch === '&') out += '&amp;';
            else if (ch === '<') out += '&lt;';
            else if (ch === '>') out += '&gt;';
            else if (ch === '"' && inAttribute) out += '&quot;';
            else if (cp < 0x20 || cp > 0x7e) out += '&#x' + cp.toString(16).toUpperCase() + ';';
            else out += ch;
        }
        return out;
    }

    function element(name, attrs, content) {
        let s = '<' + name;
        for (const [k, v] of attrs) s += ' ' + k + '="' + escape(v, true) + '"';
        if (content === undefined || content === '') return s + '/>';
        return s + '>' + content + '</' + name + '>';
    }

    // Texts typed into the page may hold lone surrogates or NULs; neither can be
    // stored, so they are dropped before they reach the selection.
    function cleanNotes(text) {
        const src = String(text || '').replace(/\r\n?/g, '\n');
        let out = '';
        for (const ch of src) {
            const cp = ch.codePointAt(0);
            if (cp >= 0xd800 && cp <= 0xdfff) continue;
            if ((cp < 0x20 && ch !== '\n' && ch !== '\t') || cp === 0xfffe || cp === 0xffff) continue;
            out += ch;
        }
        return out;
    }

    // The selection ({ choices, reqs, notes }) as text; '' when there is nothing to save.
    function serialize(cat, sel) {
        if (Catalog.isEmptySelection(sel)) return '';
        let choices = '';
        for (const step of cat.steps) {
            const id = sel.choices[step.id];
            if (id === undefined || id === null) continue;
            choices += element('choice', [['step', step.id], ['option', String(id)]]);
        }
        let reqs = '';
        for (const req of cat.requirements) {
            if (!Catalog.reqEntered(sel.reqs, req.id)) continue;
            const v = sel.reqs[req.id];
            const text = req.kind === 'number' ? Catalog.numberText(Number(v)) : String(v);
            const attrs = [['id', req.id]];
            if (req.unit) attrs.push(['unit', req.unit]);
            reqs += element('requirement', attrs, escape(text));
        }
        return element(
            ROOT,
            [],
            element(MARKER, [], FORMAT_VERSION) +
                element('catalog', [['id', cat.id], ['version', cat.version]]) +
                element('code', [], escape(Catalog.buildCode(cat, sel.choices).text)) +
                element('choices', [], choices) +
                element('requirements', [], reqs) +
                element('notes', [], escape(cleanNotes(sel.notes)))
        );
    }

    // ---- reading ------------------------------------------------------------

    class NotOurs extends Error {}

    const ENTITIES = { amp: '&', lt: '<', gt: '>', quot: '"', apos: "'" };

    function unescape(raw) {
        return raw.replace(/&([^;&<]*);|&/g, (m, name) => {
            if (name === undefined) throw new NotOurs('bare &');
            if (ENTITIES[name]) return ENTITIES[name];
            const num = /^#(?:x([0-9A-Fa-f]{1,6})|([0-9]{1,7}))$/.exec(name);
            if (!num) throw new NotOurs('unknown entity');
            const cp = num[1] !== undefined ? parseInt(num[1], 16) : parseInt(num[2], 10);
            if (cp > 0x10ffff || (cp >= 0xd800 && cp <= 0xdfff) || cp === 0) throw new NotOurs('bad character');
            return String.fromCodePoint(cp);
        });
    }

    // A strict reader for the subset of XML this format uses: elements, attributes
    // in double or single quotes, text and references. Declarations, comments and
    // processing instructions are not part of it.
    function parseXml(text) {
        let pos = 0;
        const nameRe = /[A-Za-z_][A-Za-z0-9_.-]*/y;
        function name() {
            nameRe.lastIndex = pos;
            const m = nameRe.exec(text);
            if (!m) throw new NotOurs('name expected');
            pos += m[0].length;
            return m[0];
        }
        function ws() {
            while (pos < text.length && ' \t\r\n'.includes(text[pos])) pos++;
        }
        function parseElement() {
            if (text[pos] !== '<') throw new NotOurs('element expected');
            pos++;
            const el = { name: name(), attrs: {}, children: [] };
            for (;;) {
                const before = pos;
                ws();
                if (text.startsWith('/>', pos)) {
                    pos += 2;
                    return el;
                }
                if (text[pos] === '>') {
                    pos++;
                    break;
                }
                if (pos === before) throw new NotOurs('space expected');
                const an = name();
                ws();
                if (text[pos] !== '=') throw new NotOurs('= expected');
                pos++;
                ws();
                const q = text[pos];
                if (q !== '"' && q !== "'") throw new NotOurs('quote expected');
                const end = text.indexOf(q, pos + 1);
                if (end < 0) throw new NotOurs('unterminated attribute');
                const raw = text.slice(pos + 1, end);
                if (raw.includes('<')) throw new NotOurs('< in attribute');
                if (Object.prototype.hasOwnProperty.call(el.attrs, an)) throw new NotOurs('duplicate attribute');
                el.attrs[an] = unescape(raw);
                pos = end + 1;
            }
            for (;;) {
                const lt = text.indexOf('<', pos);
                if (lt < 0) throw new NotOurs('unterminated element');
                if (lt > pos) el.children.push(unescape(text.slice(pos, lt)));
                pos = lt;
                if (text.startsWith('</', pos)) {
                    pos += 2;
                    if (name() !== el.name) throw new NotOurs('mismatched end tag');
                    ws();
                    if (text[pos] !== '>') throw new NotOurs('> expected');
                    pos++;
                    return el;
                }
                if (text[pos + 1] === '!' || text[pos + 1] === '?') throw new NotOurs('markup not used here');
                el.children.push(parseElement());
            }
        }
        ws();
        const rootEl = parseElement();
        ws();
        if (pos !== text.length) throw new NotOurs('text after the root element');
        return rootEl;
    }

    function textOf(el) {
        if (el.children.some((c) => typeof c !== 'string')) throw new NotOurs(`<${el.name}> holds elements`);
        return el.children.join('');
    }
    // Child elements of a container; whitespace between them is tolerated.
    function elementsOf(el) {
        return el.children.filter((c) => {
            if (typeof c === 'string') {
                if (c.trim() !== '') throw new NotOurs(`text in <${el.name}>`);
                return false;
            }
            return true;
        });
    }

    const ORDER = [MARKER, 'catalog', 'code', 'choices', 'requirements', 'notes'];

    // Reads a data text against the catalog. Returns
    //   { ok: true, sel, report }  report is null for a text of this catalog version,
    //                              else { from, to, items } listing every change made;
    //   { ok: false, error: { kind, ... } }  the text cannot be used.
    function read(cat, text) {
        try {
            return readOrThrow(cat, text);
        } catch (e) {
            if (e instanceof NotOurs) return { ok: false, error: { kind: 'foreign', detail: e.message } };
            throw e;
        }
    }

    function readOrThrow(cat, text) {
        if (typeof text !== 'string' || text.trim() === '') return { ok: false, error: { kind: 'empty' } };
        if (!text.includes(MARKER)) return { ok: false, error: { kind: 'foreign', detail: 'no marker' } };
        const rootEl = parseXml(text);
        if (rootEl.name !== ROOT || Object.keys(rootEl.attrs).length) throw new NotOurs('not a selection');
        const parts = elementsOf(rootEl);
        if (parts.length !== ORDER.length || parts.some((p, i) => p.name !== ORDER[i])) {
            throw new NotOurs('unexpected elements');
        }
        const [verEl, catEl, codeEl, choicesEl, reqsEl, notesEl] = parts;
        const fmt = textOf(verEl).trim();
        if (!/^\d+(\.\d+)*$/.test(fmt)) throw new NotOurs('bad format version');
        if (Catalog.compareVersions(fmt, FORMAT_VERSION) > 0) {
            return { ok: false, error: { kind: 'newerformat', version: fmt } };
        }
        if (fmt !== FORMAT_VERSION) throw new NotOurs('unknown format version');
        const catalogId = catEl.attrs.id;
        const version = catEl.attrs.version;
        if (typeof catalogId !== 'string' || !Catalog.isVersion(version)) throw new NotOurs('bad catalog element');
        if (catalogId !== cat.id) return { ok: false, error: { kind: 'othercatalog', id: catalogId } };
        const cmp = Catalog.compareVersions(version, cat.version);
        if (cmp > 0) return { ok: false, error: { kind: 'newercatalog', version } };
        const older = cmp < 0;
        const items = [];
        // A text of this catalog version that needs any change was not written by us.
        const change = (item) => {
            if (!older) throw new Mismatch(item);
            items.push(item);
        };

        const choices = {};
        for (const c of elementsOf(choicesEl)) {
            if (c.name !== 'choice' || c.children.length) throw new NotOurs('bad choice');
            const stepId = c.attrs.step;
            const optionId = c.attrs.option;
            if (typeof stepId !== 'string' || typeof optionId !== 'string') throw new NotOurs('bad choice');
            const step = cat.stepById.get(stepId);
            if (!step) {
                change({ kind: 'stepremoved', step: stepId, option: optionId });
                continue;
            }
            if (Object.prototype.hasOwnProperty.call(choices, stepId)) throw new NotOurs('step chosen twice');
            const option = step.byId.get(optionId);
            if (!option) {
                const retired = cat.retired.find((r) => r.step === stepId && String(r.id) === optionId);
                change({ kind: 'removed', step: stepId, option: optionId, retired: retired || null });
                continue;
            }
            if (option.discontinued) {
                if (option.successor) {
                    change({ kind: 'replaced', step: stepId, option: optionId, successor: option.successor.id });
                    choices[stepId] = option.successor.id;
                } else {
                    change({ kind: 'removed', step: stepId, option: optionId, retired: null });
                }
                continue;
            }
            choices[stepId] = optionId;
        }

        const reqs = {};
        for (const r of elementsOf(reqsEl)) {
            if (r.name !== 'requirement' || typeof r.attrs.id !== 'string') throw new NotOurs('bad requirement');
            const raw = textOf(r);
            const req = cat.reqById.get(r.attrs.id);
            const dropped = (why) => change({ kind: 'reqdropped', req: r.attrs.id, value: raw, unit: r.attrs.unit || '', why });
            if (!req) {
                dropped('unknown');
                continue;
            }
            if (Object.prototype.hasOwnProperty.call(reqs, req.id)) throw new NotOurs('requirement given twice');
            if ((r.attrs.unit || '') !== req.unit) {
                dropped('unit');
                continue;
            }
            if (req.kind === 'number') {
                if (!/^-?\d+(\.\d+)?$/.test(raw)) throw new NotOurs('bad number');
                const v = Number(raw);
                if ((typeof req.min === 'number' && v < req.min) || (typeof req.max === 'number' && v > req.max)) {
                    dropped('range');
                    continue;
                }
                reqs[req.id] = v;
            } else {
                if (!req.options.some((o) => o.id === raw)) {
                    dropped('value');
                    continue;
                }
                reqs[req.id] = raw;
            }
        }
        const notes = textOf(notesEl);

        // Requirements that no model can meet any longer are dropped first, then
        // every choice that the current rules rule out.
        if (!Catalog.requirementsFeasible(cat, reqs).feasible) {
            for (const req of cat.requirements) {
                if (!Catalog.reqEntered(reqs, req.id)) continue;
                change({ kind: 'reqdropped', req: req.id, value: String(reqs[req.id]), unit: req.unit, why: 'conflict' });
                delete reqs[req.id];
            }
        }
        const checked = Catalog.revalidate(cat, { choices, reqs });
        for (const d of checked.dropped) {
            change({ kind: 'invalid', step: d.step, option: d.option, reasons: d.reasons });
        }
        const sel = { choices: checked.choices, reqs, notes };
        if (!older && textOf(codeEl) !== Catalog.buildCode(cat, sel.choices).text) {
            throw new Mismatch({ kind: 'code' });
        }
        return { ok: true, sel, report: older ? { from: version, to: cat.version, items } : null };
    }

    class Mismatch extends Error {
        constructor(item) {
            super('mismatch');
            this.item = item;
        }
    }

    function readSafely(cat, text) {
        try {
            return read(cat, text);
        } catch (e) {
            if (e instanceof Mismatch) return { ok: false, error: { kind: 'mismatch', item: e.item } };
            throw e;
        }
    }

    return { FORMAT_VERSION, MARKER, serialize, read: readSafely, escape, cleanNotes, parseXml };
});
