// The selection being edited: choices, requirements and notes, with undo. Every
// change goes through here so the selection stays one that can be completed.
(function (root, factory) {
    if (typeof module === 'object' && module.exports) {
        module.exports = factory(require('./catalog.js'), require('./datatext.js'));
    } else {
        (root.BX = root.BX || {}).session = factory(root.BX.catalog, root.BX.datatext);
    }
})(typeof globalThis !== 'undefined' ? globalThis : this, function (Catalog, DataText) {
    'use strict';

    const UNDO_LIMIT = 100;

    function emptySelection() {
        return { choices: {}, reqs: {}, notes: '' };
    }
    function copy(sel) {
        return { choices: { ...sel.choices }, reqs: { ...sel.reqs }, notes: sel.notes };
    }

    // Numbers as typed: full-width digits are accepted, nothing else beyond a plain
    // decimal number.
    function parseNumber(text) {
        const s = String(text)
            .replace(/[\uFF10-\uFF19\uFF0E]/g, (c) => String.fromCharCode(c.charCodeAt(0) - 0xfee0))
            .trim();
        if (!/^\d+(\.\d+)?$|^\.\d+$/.test(s)) return null;
        return Number(s);
    }

    class Session {
        constructor(cat) {
            this.cat = cat;
            this.sel = emptySelection();
            this.history = [];
            this.listeners = [];
        }

        onChange(fn) {
            this.listeners.push(fn);
        }
        emit(event) {
            for (const fn of this.listeners) fn(event);
        }

        get canUndo() {
            return this.history.length > 0;
        }
        isEmpty() {
            return Catalog.isEmptySelection(this.sel);
        }

        // The whole selection as the data text ('' when there is nothing to save).
        data() {
            return DataText.serialize(this.cat, this.sel);
        }

        commit(next, event) {
            this.history.push(copy(this.sel));
            if (this.history.length > UNDO_LIMIT) this.history.shift();
            this.sel = next;
            this.emit(event);
        }

        status(stepId) {
            return Catalog.stepStatus(this.cat, this.sel, stepId);
        }

        choose(stepId, optionId) {
            const st = Catalog.optionStatus(this.cat, this.sel, stepId, optionId);
            if (!st.available) return { ok: false, reasons: st.reasons };
            if (this.sel.choices[stepId] === String(optionId)) return { ok: true, dropped: [] };
            const next = copy(this.sel);
            next.choices[stepId] = String(optionId);
            const checked = Catalog.revalidate(this.cat, next);
            next.choices = checked.choices;
            this.commit(next, { type: 'choose', step: stepId, dropped: checked.dropped });
            return { ok: true, dropped: checked.dropped };
        }

        clearChoice(stepId) {
            if (this.sel.choices[stepId] === undefined) return;
            const next = copy(this.sel);
            delete next.choices[stepId];
            next.choices = Catalog.revalidate(this.cat, next).choices;
            this.commit(next, { type: 'clear', step: stepId });
        }

        // value: text as typed (or a choice id); '' or null clears the requirement.
        setRequirement(id, value) {
            const req = this.cat.reqById.get(id);
            if (!req) return { ok: false, error: { kind: 'unknown' } };
            let v = null;
            if (value !== null && value !== undefined && String(value).trim() !== '') {
                if (req.kind === 'number') {
                    v = parseNumber(value);
                    if (v === null) return { ok: false, error: { kind: 'number' } };
                    if ((typeof req.min === 'number' && v < req.min) || (typeof req.max === 'number' && v > req.max)) {
                        return { ok: false, error: { kind: 'range', min: req.min, max: req.max } };
                    }
                } else {
                    v = String(value);
                    if (!req.options.some((o) => o.id === v)) return { ok: false, error: { kind: 'value' } };
                }
            }
            const next = copy(this.sel);
            if (v === null) delete next.reqs[id];
            else next.reqs[id] = v;
            if ((this.sel.reqs[id] ?? null) === v) return { ok: true, dropped: [] };
            const feasible = Catalog.requirementsFeasible(this.cat, next.reqs);
            if (!feasible.feasible) return { ok: false, error: { kind: 'infeasible', reasons: feasible.reasons } };
            const checked = Catalog.revalidate(this.cat, next);
            next.choices = checked.choices;
            this.commit(next, { type: 'requirement', req: id, dropped: checked.dropped });
            return { ok: true, dropped: checked.dropped };
        }

        setNotes(text) {
            const notes = DataText.cleanNotes(text);
            if (notes === this.sel.notes) return;
            const next = copy(this.sel);
            next.notes = notes;
            this.commit(next, { type: 'notes' });
        }

        // Applies a typed model code when every segment is right; otherwise only
        // reports the errors and changes nothing.
        applyCode(text) {
            const decoded = Catalog.decodeCode(this.cat, text, this.sel.reqs);
            if (decoded.errors.length) return { ok: false, errors: decoded.errors, decoded };
            const next = copy(this.sel);
            next.choices = decoded.choices;
            this.commit(next, { type: 'code' });
            return { ok: true, errors: [], decoded };
        }

        undo() {
            if (!this.history.length) return false;
            this.sel = this.history.pop();
            this.emit({ type: 'undo' });
            return true;
        }

        // Clears the selection; can be undone.
        reset() {
            if (this.isEmpty()) return;
            this.commit(emptySelection(), { type: 'reset' });
        }

        // A new document: empty selection and no history.
        newSelection() {
            this.sel = emptySelection();
            this.history = [];
            this.emit({ type: 'new' });
        }

        // Replaces the selection by a data text. A text that cannot be used changes
        // nothing; the result tells why.
        load(text) {
            const result = DataText.read(this.cat, text);
            if (!result.ok) {
                this.emit({ type: 'loadfailed', error: result.error });
                return result;
            }
            this.sel = result.sel;
            this.history = [];
            this.emit({ type: 'load', report: result.report });
            return result;
        }
    }

    return { Session, parseNumber, emptySelection };
});
