// The page: requirement inputs, the stepper, the model code bar, the summary and
// the print sheet. All decisions come from the session and the catalog engine;
// this module only shows them and passes the user's actions on.
(function (root) {
    'use strict';
    const BX = root.BX;
    const I = BX.i18n;
    const C = BX.catalog;

    // h('div', { class: 'x', onclick: fn }, child, ...) — children are nodes or text.
    function h(tag, attrs, ...children) {
        const el = document.createElement(tag);
        for (const [k, v] of Object.entries(attrs || {})) {
            if (v === undefined || v === null || v === false) continue;
            if (k.startsWith('on')) el.addEventListener(k.slice(2), v);
            else if (k === 'class') el.className = v;
            else if (v === true) el.setAttribute(k, '');
            else el.setAttribute(k, String(v));
        }
        for (const c of children.flat(Infinity)) {
            if (c === undefined || c === null || c === false) continue;
            el.appendChild(typeof c === 'object' ? c : document.createTextNode(String(c)));
        }
        return el;
    }

    function create(doc, cat, session, options) {
        const $ = (id) => doc.getElementById(id);
        const state = {
            lang: options.lang || 'en',
            view: cat.steps[0].id, // a step id, or 'summary'
            network: options.network === true,
            message: null, // { level, title, lines }
            reqErrors: {}, // requirement id -> { text, typed }
        };
        const t = (key, vars) => I.text(state.lang, key, vars);
        const L = (obj) => I.local(obj, state.lang);

        function showMessage(level, title, lines) {
            state.message = { level, title, lines: lines || [] };
            renderMessage();
        }

        function droppedMessage(dropped) {
            if (!dropped || !dropped.length) return;
            const items = dropped
                .map((d) => I.stepLabel(cat, d.step, state.lang) + ' (' + I.optionLabel(cat, d.step, d.option, state.lang) + ')')
                .join(', ');
            showMessage('info', t('dropped', { items }), []);
        }

        // ---- header ---------------------------------------------------------
        function renderHeader() {
            $('series').textContent = cat.id;
            $('title').textContent = t('title');
            $('catalog-version').textContent = t('catalogVersion', { version: cat.version });
            const lang = $('btn-lang');
            lang.textContent = t('language');
            lang.title = t('languageTip');
            $('btn-undo').textContent = t('undo');
            $('btn-undo').disabled = !session.canUndo;
            $('btn-reset').textContent = t('reset');
            $('btn-reset').disabled = session.isEmpty();
            $('btn-print').textContent = t('print');
            const docs = $('docs');
            docs.replaceChildren();
            if (state.network && cat.documents.length) {
                for (const d of cat.documents) {
                    if (!/^https:\/\//.test(d.url)) continue;
                    docs.appendChild(h('a', { href: d.url, target: '_blank', rel: 'noopener noreferrer', class: 'doc-link', title: d.url }, L(d.label)));
                }
            }
        }

        // ---- code bar -------------------------------------------------------
        function renderCode() {
            const code = C.buildCode(cat, session.sel.choices);
            $('code-label').textContent = t('modelCode');
            const out = $('code-display');
            out.replaceChildren(h('span', { class: 'seg prefix' }, cat.prefix));
            for (const seg of code.segments) {
                if (seg.join) out.appendChild(h('span', { class: 'sep' }, seg.join));
                out.appendChild(
                    h(
                        'button',
                        {
                            class: 'seg' + (seg.open ? ' open' : '') + (state.view === seg.stepId ? ' current' : ''),
                            title: I.stepLabel(cat, seg.stepId, state.lang),
                            'data-focus': 'seg-' + seg.stepId,
                            onclick: () => go(seg.stepId),
                        },
                        seg.text
                    )
                );
            }
            $('code-input').placeholder = t('codePlaceholder');
            $('btn-decode').textContent = t('decode');
        }

        function decode() {
            const input = $('code-input');
            const result = session.applyCode(input.value);
            if (!result.ok) {
                showMessage('error', t('codeErrors'), result.errors.map((e) => I.codeErrorText(cat, e, state.lang)));
                return;
            }
            input.value = '';
            showMessage('info', t('codeApplied'), []);
            state.view = 'summary';
            render();
        }

        // ---- requirements ---------------------------------------------------
        function buildRequirements() {
            const box = $('reqs');
            box.replaceChildren();
            for (const req of cat.requirements) {
                const id = 'req-' + req.id;
                let control;
                if (req.kind === 'number') {
                    control = h('input', {
                        id,
                        type: 'text',
                        inputmode: 'decimal',
                        autocomplete: 'off',
                        class: 'req-input',
                        onchange: (ev) => applyRequirement(req.id, ev.target.value),
                        onkeydown: (ev) => {
                            if (ev.key === 'Enter') ev.target.blur();
                        },
                    });
                } else {
                    control = h('div', { id, class: 'req-choice', role: 'group' });
                }
                box.appendChild(
                    h(
                        'div',
                        { class: 'req-row', 'data-req': req.id },
                        h('label', { for: req.kind === 'number' ? id : null, class: 'req-label', id: id + '-label' }),
                        control,
                        h('span', { class: 'req-unit' }, req.unit || ''),
                        h('div', { class: 'req-error', id: id + '-error' })
                    )
                );
            }
        }

        function applyRequirement(id, value) {
            const result = session.setRequirement(id, value);
            if (result.ok) {
                delete state.reqErrors[id];
                droppedMessage(result.dropped);
                render();
                return;
            }
            const req = cat.reqById.get(id);
            let msg;
            if (result.error.kind === 'range') {
                msg = t('reqRange', { min: I.formatNumber(req.min, state.lang), max: I.formatNumber(req.max, state.lang), unit: req.unit });
            } else if (result.error.kind === 'infeasible') {
                const titles = result.error.reasons.filter((r) => r.rule).map((r) => L(r.rule.title));
                msg = titles.length ? t('reqInfeasible') + titles.join(', ') : t('reqInfeasibleNone');
            } else {
                msg = t('reqNumber');
            }
            state.reqErrors[id] = { text: msg, typed: value };
            render();
        }

        function renderRequirements() {
            $('reqs-title').textContent = t('requirements');
            for (const req of cat.requirements) {
                const id = 'req-' + req.id;
                const label = $(id + '-label');
                label.textContent = L(req.label);
                label.title = L(req.help);
                const err = state.reqErrors[req.id];
                const has = C.reqEntered(session.sel.reqs, req.id);
                const value = has ? session.sel.reqs[req.id] : null;
                if (req.kind === 'number') {
                    const input = $(id);
                    const shown = err ? err.typed : has ? C.numberText(value) : '';
                    if (doc.activeElement !== input || err) input.value = shown;
                    input.classList.toggle('invalid', !!err);
                    input.title = L(req.help) + ' (' + I.formatNumber(req.min, state.lang) + '–' + I.formatNumber(req.max, state.lang) + ' ' + req.unit + ')';
                } else {
                    const group = $(id);
                    group.replaceChildren(
                        ...[{ id: null, label: null }, ...req.options].map((o) =>
                            h(
                                'button',
                                {
                                    class: 'chip' + ((o.id === null ? !has : value === o.id) ? ' on' : ''),
                                    'aria-pressed': (o.id === null ? !has : value === o.id) ? 'true' : 'false',
                                    'data-focus': 'req-' + req.id + '-' + o.id,
                                    onclick: () => applyRequirement(req.id, o.id),
                                },
                                o.id === null ? t('notSet') : L(o.label)
                            )
                        )
                    );
                }
                $(id + '-error').textContent = err ? err.text : '';
            }
        }

        // ---- step list --------------------------------------------------------
        function renderStepList() {
            $('steps-title').textContent = t('steps');
            const list = $('steps');
            list.replaceChildren();
            for (const step of cat.steps) {
                const chosen = session.sel.choices[step.id];
                list.appendChild(
                    h(
                        'li',
                        {},
                        h(
                            'button',
                            {
                                class: 'step-link' + (state.view === step.id ? ' current' : '') + (chosen !== undefined ? ' done' : ''),
                                'data-focus': 'nav-' + step.id,
                                onclick: () => go(step.id),
                            },
                            h('span', { class: 'step-no' }, String(step.index + 1)),
                            h('span', { class: 'step-name' }, L(step.label)),
                            h('span', { class: 'step-value' }, chosen !== undefined ? step.byId.get(chosen).code : '?')
                        )
                    )
                );
            }
            list.appendChild(
                h(
                    'li',
                    {},
                    h(
                        'button',
                        { class: 'step-link summary' + (state.view === 'summary' ? ' current' : ''), 'data-focus': 'nav-summary', onclick: () => go('summary') },
                        h('span', { class: 'step-no' }, '✓'),
                        h('span', { class: 'step-name' }, t('summary'))
                    )
                )
            );
        }

        function go(view) {
            state.view = view;
            render();
            const c = $('content-body');
            if (c) c.scrollTop = 0;
        }

        function fixButtons(reason) {
            const targets = I.fixTargets(cat, reason, state.lang);
            if (!targets.length) return null;
            return h(
                'span',
                { class: 'fix' },
                t('change') + ' ',
                targets.map((f) =>
                    h(
                        'button',
                        {
                            class: 'fix-link',
                            onclick: (ev) => {
                                ev.stopPropagation();
                                if (f.kind === 'step') go(f.id);
                                else {
                                    const el = $('req-' + f.id);
                                    const target = el && (el.tagName === 'INPUT' ? el : el.querySelector('button'));
                                    if (target) target.focus();
                                }
                            },
                        },
                        f.label
                    )
                )
            );
        }

        // ---- one step -----------------------------------------------------------
        function renderStep(step) {
            const statuses = session.status(step.id);
            const chosen = session.sel.choices[step.id];
            const grid = h('div', { class: 'options' + (step.kind === 'range' ? ' range' : '') });
            for (const st of statuses) {
                const o = st.option;
                const selected = chosen === o.id;
                const later = st.available ? [] : st.reasons.filter((r) => r.kind === 'rule' && !r.direct);
                const reasons = st.available
                    ? null
                    : h(
                          'div',
                          { class: 'why' },
                          later.length ? h('div', { class: 'why-line' }, t('laterBlocked')) : null,
                          st.reasons.map((r) =>
                              h(
                                  'div',
                                  { class: 'why-line' + (later.includes(r) ? ' later' : '') },
                                  later.includes(r) ? '• ' + L(r.rule.title) : I.reasonText(cat, r, state.lang),
                                  ' ',
                                  r.kind === 'discontinued' && r.successor
                                      ? h(
                                            'span',
                                            { class: 'fix' },
                                            h('button', { class: 'fix-link', onclick: (ev) => { ev.stopPropagation(); choose(step.id, r.successor.id); } }, r.successor.code)
                                        )
                                      : fixButtons(r)
                              )
                          )
                      );
                const title = o.range ? I.withUnit(o.value, step.unit, state.lang) : L(o.label);
                grid.appendChild(
                    h(
                        'div',
                        {
                            class: 'option' + (selected ? ' selected' : '') + (st.available ? '' : ' unavailable'),
                            role: 'button',
                            tabindex: st.available ? '0' : '-1',
                            'aria-disabled': st.available ? 'false' : 'true',
                            'aria-pressed': selected ? 'true' : 'false',
                            'data-focus': 'opt-' + step.id + '-' + o.id,
                            onclick: () => {
                                if (st.available) choose(step.id, o.id);
                            },
                            onkeydown: (ev) => {
                                if ((ev.key === 'Enter' || ev.key === ' ') && st.available) {
                                    ev.preventDefault();
                                    choose(step.id, o.id);
                                }
                            },
                        },
                        h('div', { class: 'opt-head' }, o.range ? null : h('span', { class: 'opt-code' }, o.code), h('span', { class: 'opt-title' }, title)),
                        o.range ? null : h('div', { class: 'opt-desc' }, L(o.desc)),
                        st.available ? null : h('div', { class: 'na' }, t('notAvailable')),
                        reasons
                    )
                );
            }
            const body = $('content-body');
            body.replaceChildren(grid);
            $('content-title').textContent = step.index + 1 + '. ' + L(step.label);
            $('content-help').textContent = L(step.help);
        }

        function choose(stepId, optionId) {
            const result = session.choose(stepId, optionId);
            if (!result.ok) return;
            droppedMessage(result.dropped);
            // Move on to the next step that is still open.
            const step = cat.stepById.get(stepId);
            const next = cat.steps.slice(step.index + 1).find((s) => session.sel.choices[s.id] === undefined);
            state.view = next ? next.id : cat.steps.every((s) => session.sel.choices[s.id] !== undefined) ? 'summary' : stepId;
            render();
        }

        // ---- summary ------------------------------------------------------------
        function specRows() {
            const rows = [];
            for (const step of cat.steps) {
                const id = session.sel.choices[step.id];
                rows.push([L(step.label), id === undefined ? '?' : I.optionLabel(cat, step.id, id, state.lang), id === undefined]);
            }
            return rows;
        }
        function reqRows() {
            return cat.requirements
                .filter((r) => C.reqEntered(session.sel.reqs, r.id))
                .map((r) => {
                    const v = session.sel.reqs[r.id];
                    const text = r.kind === 'number' ? I.withUnit(v, r.unit, state.lang) : L((r.options.find((o) => o.id === v) || {}).label);
                    return [L(r.label), text];
                });
        }
        function derivedRows() {
            const values = C.derivedValues(cat, session.sel);
            return cat.derived.map((d) => [L(d.label), values[d.id] === null ? '—' : I.withUnit(values[d.id], d.unit, state.lang)]);
        }
        function table(rows, cls) {
            return h('table', { class: cls || 'kv' }, h('tbody', {}, rows.map((r) => h('tr', { class: r[2] ? 'open' : null }, h('th', {}, r[0]), h('td', {}, r[1])))));
        }
        function partsTable() {
            const parts = C.partsList(cat, session.sel.choices);
            return h(
                'table',
                { class: 'parts' },
                h('thead', {}, h('tr', {}, h('th', {}, t('partNo')), h('th', {}, t('partName')), h('th', { class: 'num' }, t('qty')))),
                h('tbody', {}, parts.map((p) => h('tr', {}, h('td', { class: 'mono' }, p.part), h('td', {}, L(p.name)), h('td', { class: 'num' }, String(p.qty)))))
            );
        }

        function renderSummary() {
            const code = C.buildCode(cat, session.sel.choices);
            const open = code.segments.filter((s) => s.open).map((s) => I.stepLabel(cat, s.stepId, state.lang));
            const notes = h('textarea', {
                id: 'notes',
                class: 'notes',
                rows: '2',
                maxlength: '2000',
                placeholder: t('notesPlaceholder'),
                onchange: (ev) => {
                    session.setNotes(ev.target.value);
                    render();
                },
            });
            notes.value = session.sel.notes;
            const body = $('content-body');
            body.replaceChildren(
                h('div', { class: 'status ' + (code.complete ? 'ok' : 'warn') }, code.complete ? t('complete') : t('incomplete', { open: open.join(', ') })),
                h(
                    'div',
                    { class: 'summary-grid' },
                    h('section', {}, h('h3', {}, t('specs')), table(specRows()), h('h3', {}, t('derived')), table(derivedRows())),
                    h(
                        'section',
                        {},
                        h('h3', {}, t('partsList')),
                        partsTable(),
                        reqRows().length ? [h('h3', {}, t('requirementsShort')), table(reqRows())] : null,
                        h('h3', {}, h('label', { for: 'notes' }, t('notes'))),
                        notes
                    )
                ),
                h('div', { class: 'notice' }, h('strong', {}, t('notice') + ': '), L(cat.notice), ' ', h('span', { class: 'muted' }, t('printedOn', { id: cat.id, version: cat.version })))
            );
            $('content-title').textContent = t('summary');
            $('content-help').textContent = code.text;
        }

        // ---- print sheet -----------------------------------------------------------
        function renderPrint() {
            const code = C.buildCode(cat, session.sel.choices);
            const sheet = $('print-sheet');
            const notes = session.sel.notes;
            sheet.replaceChildren(
                h(
                    'div',
                    {},
                h('h1', {}, L(cat.name)),
                h('div', { class: 'print-code' }, code.text),
                h('h2', {}, t('specs')),
                table(specRows()),
                reqRows().length ? [h('h2', {}, t('requirementsShort')), table(reqRows())] : null,
                h('h2', {}, t('derived')),
                table(derivedRows()),
                h('h2', {}, t('partsList')),
                partsTable(),
                notes ? [h('h2', {}, t('notes')), h('p', { class: 'print-notes' }, notes)] : null,
                h('p', { class: 'notice' }, h('strong', {}, t('notice') + ': '), L(cat.notice)),
                h('p', { class: 'muted' }, t('printedOn', { id: cat.id, version: cat.version }))
                )
            );
        }

        // ---- messages ---------------------------------------------------------------
        function renderMessage() {
            const box = $('message');
            const m = state.message;
            box.hidden = !m;
            box.replaceChildren();
            if (!m) return;
            box.className = 'message ' + m.level;
            box.appendChild(h('div', { class: 'msg-title' }, m.title));
            if (m.lines.length) box.appendChild(h('ul', { class: 'msg-lines' }, m.lines.map((l) => h('li', {}, l))));
            box.appendChild(
                h(
                    'button',
                    {
                        class: 'msg-ok',
                        onclick: () => {
                            state.message = null;
                            renderMessage();
                        },
                    },
                    t('ok')
                )
            );
        }

        function renderContent() {
            const idx = state.view === 'summary' ? cat.steps.length : cat.stepById.get(state.view).index;
            if (state.view === 'summary') renderSummary();
            else renderStep(cat.stepById.get(state.view));
            const back = $('btn-back');
            const next = $('btn-next');
            const clear = $('btn-clear');
            back.textContent = t('back');
            next.textContent = t('next');
            clear.textContent = t('clearChoice');
            back.disabled = idx === 0;
            next.disabled = idx >= cat.steps.length;
            clear.hidden = state.view === 'summary';
            clear.disabled = state.view === 'summary' || session.sel.choices[state.view] === undefined;
        }

        function render() {
            const focusKey = doc.activeElement && doc.activeElement.getAttribute && doc.activeElement.getAttribute('data-focus');
            doc.documentElement.lang = state.lang;
            renderHeader();
            renderCode();
            renderRequirements();
            renderStepList();
            renderContent();
            renderPrint();
            renderMessage();
            if (focusKey) {
                const el = doc.querySelector('[data-focus="' + focusKey + '"]');
                if (el) el.focus();
            }
        }

        function step(delta) {
            const order = cat.steps.map((s) => s.id).concat(['summary']);
            const i = order.indexOf(state.view) + delta;
            if (i >= 0 && i < order.length) go(order[i]);
        }

        // ---- wiring ------------------------------------------------------------------
        buildRequirements();
        $('btn-lang').addEventListener('click', () => {
            state.lang = state.lang === 'ja' ? 'en' : 'ja';
            state.reqErrors = {};
            render();
        });
        $('btn-undo').addEventListener('click', () => {
            if (session.undo()) {
                state.reqErrors = {};
                render();
            }
        });
        $('btn-reset').addEventListener('click', () => {
            session.reset();
            state.reqErrors = {};
            state.view = cat.steps[0].id;
            render();
        });
        $('btn-print').addEventListener('click', () => {
            renderPrint();
            if (typeof root.print === 'function') root.print();
        });
        $('btn-decode').addEventListener('click', decode);
        $('code-input').addEventListener('keydown', (ev) => {
            if (ev.key === 'Enter') decode();
        });
        $('btn-back').addEventListener('click', () => step(-1));
        $('btn-next').addEventListener('click', () => step(1));
        $('btn-clear').addEventListener('click', () => {
            if (state.view !== 'summary') session.clearChoice(state.view);
            render();
        });

        // Changes that come from the host (new, open) reset the view.
        session.onChange((ev) => {
            if (ev.type === 'new') {
                state.view = cat.steps[0].id;
                state.reqErrors = {};
                state.message = null;
                render();
            } else if (ev.type === 'load') {
                state.reqErrors = {};
                state.view = 'summary';
                state.message = null;
                if (ev.report) {
                    const lines = I.reportLines(cat, ev.report, state.lang);
                    showMessage('warn', t('reportTitle', { from: ev.report.from, to: ev.report.to }), lines.length ? [t('reportChanges'), ...lines] : [t('reportNone')]);
                }
                render();
            } else if (ev.type === 'loadfailed') {
                showMessage('error', I.loadErrorText(cat, ev.error, state.lang), []);
            }
        });

        render();

        // Applies what is typed in the focused field, as leaving it would.
        function commitEditing() {
            const el = doc.activeElement;
            if (!el || !el.id) return;
            if (el.id === 'notes') {
                if (el.value !== session.sel.notes) {
                    session.setNotes(el.value);
                    renderHeader();
                    renderPrint();
                }
            } else if (el.classList.contains('req-input')) {
                const id = el.id.slice(4);
                const has = C.reqEntered(session.sel.reqs, id);
                if (el.value.trim() !== (has ? C.numberText(session.sel.reqs[id]) : '')) applyRequirement(id, el.value);
            }
        }

        return {
            render,
            commitEditing,
            setNetwork(on) {
                state.network = !!on;
                renderHeader();
            },
            get state() {
                return state;
            },
        };
    }

    BX.ui = { create, h };
})(typeof globalThis !== 'undefined' ? globalThis : this);
