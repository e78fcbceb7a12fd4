// Texts of the page in English and Japanese, and the wording of reasons, code
// errors and load reports. Intl is used only behind guards: under LANG=C the web
// engine reports the language "C", which Intl rejects.
(function (root, factory) {
    if (typeof module === 'object' && module.exports) {
        module.exports = factory(require('./catalog.js'));
    } else {
        (root.BX = root.BX || {}).i18n = factory(root.BX.catalog);
    }
})(typeof globalThis !== 'undefined' ? globalThis : this, function (Catalog) {
    'use strict';

    const TEXTS = {
        en: {
            title: 'Model Selection',
            catalogVersion: 'Catalog {version}',
            language: '日本語',
            languageTip: 'Switch to Japanese',
            undo: 'Undo',
            reset: 'Reset',
            print: 'Print',
            docs: 'Online documents',
            modelCode: 'Model code',
            codePlaceholder: 'Type or paste a model code',
            decode: 'Decode',
            requirements: 'Requirements',
            notSet: '—',
            steps: 'Selection',
            summary: 'Summary',
            back: 'Back',
            next: 'Next',
            clearChoice: 'Clear',
            notAvailable: 'Not available',
            change: 'Change:',
            discontinued: 'Discontinued since catalog {since}.',
            successor: 'Successor: {code} {label}',
            noCombination: 'No combination of the later steps fits.',
            laterBlocked: 'Not possible with any later choice: ',
            thisOption: 'This option itself conflicts.',
            reqRange: 'Enter a value from {min} to {max} {unit}.',
            reqNumber: 'Enter a number.',
            reqInfeasible: 'No model meets this: ',
            reqInfeasibleNone: 'No model meets this together with the other requirements.',
            dropped: 'Cleared because no longer available: {items}',
            specs: 'Specifications',
            requirementsShort: 'Requirements',
            derived: 'Derived values',
            partsList: 'Parts list',
            partNo: 'Part no.',
            partName: 'Description',
            qty: 'Qty',
            notes: 'Notes',
            notesPlaceholder: 'Free notes (saved with the selection)',
            incomplete: 'Selection incomplete: {open} still open.',
            complete: 'Selection complete.',
            notice: 'Notice',
            ok: 'OK',
            codeErrors: 'The code was not applied:',
            codeApplied: 'Code applied.',
            errEmpty: 'Enter a code.',
            errPrefix: 'The code must start with "{expected}".',
            errMissing: '{step}: segment missing.',
            errSyntax: '{step}: expected a separator before "{found}".',
            errUnknown: '{step}: "{segment}" is not a code of this step.',
            errUnavailable: '{step}: "{segment}" is not available — {reason}',
            errExtra: 'Unexpected text at the end: "{found}".',
            loadFailed: 'The selection data could not be opened. The current selection was kept.',
            loadEmpty: 'The data are empty.',
            loadForeign: 'These are not selection data of this program.',
            loadNewerFormat: 'The data were written by a newer program (data format {version}). Please update.',
            loadOtherCatalog: 'The data belong to another product series ({id}).',
            loadNewerCatalog: 'The data were made with a newer catalog ({version}); this program has catalog {current}. Please update.',
            loadMismatch: 'The data do not match catalog {current}: {detail}',
            codeMismatch: 'the model code does not match the choices.',
            reportTitle: 'Opened a selection made with catalog {from}; the current catalog is {to}.',
            reportNone: 'Nothing had to be changed.',
            reportChanges: 'Changes made:',
            rptReplaced: '{step}: {from} is discontinued and was replaced by its successor {to}.',
            rptRemoved: '{step}: {from} no longer exists and was removed.',
            rptStepRemoved: 'The step "{step}" no longer exists; its choice {from} was removed.',
            rptInvalid: '{step}: {from} is no longer valid in this combination and was removed — {reason}',
            rptReqDropped: 'Requirement {req} = {value} could not be kept ({why}).',
            whyUnknown: 'no longer asked',
            whyUnit: 'unit changed',
            whyRange: 'out of range',
            whyValue: 'value no longer offered',
            whyConflict: 'no model meets it any longer',
            printedOn: 'Catalog {id} {version}',
        },
        ja: {
            title: '機種選定',
            catalogVersion: 'カタログ {version}',
            language: 'English',
            languageTip: '英語に切り替え',
            undo: '元に戻す',
            reset: 'リセット',
            print: '印刷',
            docs: 'オンライン資料',
            modelCode: '形式',
            codePlaceholder: '形式を入力または貼り付け',
            decode: '読込',
            requirements: '使用条件',
            notSet: '—',
            steps: '選定',
            summary: '選定結果',
            back: '戻る',
            next: '次へ',
            clearChoice: '解除',
            notAvailable: '選択できません',
            change: '変更：',
            discontinued: 'カタログ {since} で生産終了。',
            successor: '後継：{code} {label}',
            noCombination: '以降の選択に合う組合せがありません。',
            laterBlocked: '以降のどの選択とも組み合わせられません：',
            thisOption: 'この項目自体が条件に合いません。',
            reqRange: '{min}～{max} {unit} の値を入力してください。',
            reqNumber: '数値を入力してください。',
            reqInfeasible: 'この条件に合う機種がありません：',
            reqInfeasibleNone: '他の条件と合わせて満たす機種がありません。',
            dropped: '選択できなくなったため解除しました：{items}',
            specs: '仕様',
            requirementsShort: '使用条件',
            derived: '算出値',
            partsList: '部品表',
            partNo: '品番',
            partName: '品名',
            qty: '数量',
            notes: 'メモ',
            notesPlaceholder: '自由メモ（選定データと一緒に保存されます）',
            incomplete: '未選択の項目があります：{open}',
            complete: '選定が完了しました。',
            notice: 'ご注意',
            ok: 'OK',
            codeErrors: '形式を反映できませんでした：',
            codeApplied: '形式を反映しました。',
            errEmpty: '形式を入力してください。',
            errPrefix: '形式は「{expected}」で始まります。',
            errMissing: '{step}：記号がありません。',
            errSyntax: '{step}：「{found}」の前に区切りが必要です。',
            errUnknown: '{step}：「{segment}」はこの項目の記号ではありません。',
            errUnavailable: '{step}：「{segment}」は選択できません — {reason}',
            errExtra: '末尾に余分な文字があります：「{found}」',
            loadFailed: '選定データを開けませんでした。現在の選定内容はそのままです。',
            loadEmpty: 'データが空です。',
            loadForeign: 'このプログラムの選定データではありません。',
            loadNewerFormat: '新しいプログラムで作成されたデータです（データ形式 {version}）。更新してください。',
            loadOtherCatalog: '別のシリーズ（{id}）のデータです。',
            loadNewerCatalog: '新しいカタログ（{version}）で作成されたデータです。このプログラムのカタログは {current} です。更新してください。',
            loadMismatch: 'データがカタログ {current} と一致しません：{detail}',
            codeMismatch: '形式と選択内容が一致しません。',
            reportTitle: 'カタログ {from} で作成された選定を開きました。現在のカタログは {to} です。',
            reportNone: '変更はありません。',
            reportChanges: '次の変更を行いました：',
            rptReplaced: '{step}：{from} は生産終了のため後継の {to} に置き換えました。',
            rptRemoved: '{step}：{from} は廃止されたため削除しました。',
            rptStepRemoved: '項目「{step}」は廃止されたため、選択 {from} を削除しました。',
            rptInvalid: '{step}：{from} はこの組合せで選択できなくなったため削除しました — {reason}',
            rptReqDropped: '使用条件 {req} = {value} は引き継げませんでした（{why}）。',
            whyUnknown: '現在は使わない条件',
            whyUnit: '単位の変更',
            whyRange: '範囲外',
            whyValue: '廃止された値',
            whyConflict: '満たす機種がなくなった',
            printedOn: 'カタログ {id} {version}',
        },
    };

    const LANGS = Object.keys(TEXTS);

    // The page language from the engine's language tag; anything unusable ("C",
    // "POSIX", empty) falls back to English.
    function pickLanguage(tag) {
        const t = String(tag || '').toLowerCase();
        return t === 'ja' || t.startsWith('ja-') || t.startsWith('ja_') ? 'ja' : 'en';
    }

    function safeLocale(lang) {
        const wanted = lang === 'ja' ? 'ja-JP' : 'en-US';
        try {
            if (typeof Intl === 'object' && Intl.NumberFormat) {
                const ok = Intl.NumberFormat.supportedLocalesOf([wanted]);
                if (ok.length) return ok[0];
            }
        } catch (e) {
            // fall through to no locale
        }
        return null;
    }

    const formatters = {};
    function formatNumber(n, lang) {
        if (typeof n !== 'number' || !Number.isFinite(n)) return '—';
        const key = lang || 'en';
        if (formatters[key] === undefined) {
            formatters[key] = null;
            try {
                const loc = safeLocale(key);
                if (loc) formatters[key] = new Intl.NumberFormat(loc, { maximumFractionDigits: 3 });
            } catch (e) {
                formatters[key] = null;
            }
        }
        if (formatters[key]) {
            try {
                return formatters[key].format(n);
            } catch (e) {
                // plain text below
            }
        }
        return Catalog.numberText(n);
    }

    function fill(template, vars) {
        return String(template).replace(/\{(\w+)\}/g, (m, k) => (vars && vars[k] !== undefined ? String(vars[k]) : m));
    }

    function text(lang, key, vars) {
        const table = TEXTS[lang] || TEXTS.en;
        const t = table[key] !== undefined ? table[key] : TEXTS.en[key];
        return fill(t === undefined ? key : t, vars);
    }

    // A catalog text ({ en, ja }) in the page language, else English, else any.
    function local(obj, lang) {
        if (obj === null || obj === undefined) return '';
        if (typeof obj === 'string') return obj;
        if (obj[lang]) return obj[lang];
        if (obj.en) return obj.en;
        const first = Object.keys(obj)[0];
        return first ? obj[first] : '';
    }

    function withUnit(n, unit, lang) {
        return unit ? formatNumber(n, lang) + ' ' + unit : formatNumber(n, lang);
    }

    function stepLabel(cat, stepId, lang) {
        const step = cat.stepById.get(stepId);
        return step ? local(step.label, lang) : stepId;
    }
    function reqLabel(cat, reqId, lang) {
        const req = cat.reqById.get(reqId);
        return req ? local(req.label, lang) : reqId;
    }
    function optionLabel(cat, stepId, optionId, lang) {
        const step = cat.stepById.get(stepId);
        const o = step && step.byId.get(String(optionId));
        if (!o) return String(optionId);
        if (o.range) return withUnit(o.value, step.unit, lang);
        const label = local(o.label, lang);
        // "Lead 10 mm" says its code already; "Rod type" needs the "R".
        return new RegExp('(^|[^0-9A-Za-z])' + o.code.replace(/[^0-9A-Za-z]/g, '\\$&') + '($|[^0-9A-Za-z])').test(label) ? label : o.code + ' ' + label;
    }

    // One reason (from the catalog engine) as a sentence.
    function reasonText(cat, reason, lang) {
        if (reason.kind === 'discontinued') {
            let s = text(lang, 'discontinued', { since: reason.since });
            if (reason.successor) {
                s += ' ' + text(lang, 'successor', { code: reason.successor.code, label: local(reason.successor.label, lang) });
            }
            return s;
        }
        if (reason.kind === 'nocombination') return text(lang, 'noCombination');
        if (reason.kind === 'unknown') return text(lang, 'loadForeign');
        const rule = reason.rule;
        if (!reason.direct) return text(lang, 'laterBlocked') + local(rule.title, lang);
        return fill(local(rule.reason, lang), {
            value: withUnit(reason.value, rule.unit, lang),
            max: withUnit(reason.limit, rule.unit, lang),
            min: withUnit(reason.limit, rule.unit, lang),
        });
    }

    function fixTargets(cat, reason, lang) {
        return (reason.fix || []).map((f) => ({
            kind: f.kind,
            id: f.id,
            label: f.kind === 'step' ? stepLabel(cat, f.id, lang) : reqLabel(cat, f.id, lang),
        }));
    }

    function codeErrorText(cat, err, lang) {
        const step = err.step ? stepLabel(cat, err.step, lang) : '';
        switch (err.kind) {
            case 'empty':
                return text(lang, 'errEmpty');
            case 'prefix':
                return text(lang, 'errPrefix', { expected: err.expected });
            case 'missing':
                return text(lang, 'errMissing', { step });
            case 'syntax':
                return text(lang, 'errSyntax', { step, found: err.found });
            case 'unknown':
                return text(lang, 'errUnknown', { step, segment: err.segment });
            case 'unavailable':
                return text(lang, 'errUnavailable', {
                    step,
                    segment: err.segment,
                    reason: err.reasons.map((r) => reasonText(cat, r, lang)).join(' '),
                });
            case 'extra':
                return text(lang, 'errExtra', { found: err.found });
            default:
                return err.kind;
        }
    }

    function loadErrorText(cat, error, lang) {
        const head = text(lang, 'loadFailed');
        let why;
        switch (error.kind) {
            case 'empty':
                why = text(lang, 'loadEmpty');
                break;
            case 'newerformat':
                why = text(lang, 'loadNewerFormat', { version: error.version });
                break;
            case 'othercatalog':
                why = text(lang, 'loadOtherCatalog', { id: error.id });
                break;
            case 'newercatalog':
                why = text(lang, 'loadNewerCatalog', { version: error.version, current: cat.version });
                break;
            case 'mismatch': {
                const it = error.item || {};
                const lines = it.kind === 'code' ? [] : reportLines(cat, { items: [it] }, lang);
                const detail = lines.length ? lines[0] : text(lang, 'codeMismatch');
                why = text(lang, 'loadMismatch', { current: cat.version, detail });
                break;
            }
            default:
                why = text(lang, 'loadForeign');
        }
        return head + ' ' + why;
    }

    function reportLines(cat, report, lang) {
        const lines = [];
        for (const it of report.items) {
            const step = it.step ? stepLabel(cat, it.step, lang) : '';
            if (it.kind === 'replaced') {
                lines.push(text(lang, 'rptReplaced', {
                    step,
                    from: optionLabel(cat, it.step, it.option, lang),
                    to: optionLabel(cat, it.step, it.successor, lang),
                }));
            } else if (it.kind === 'removed') {
                const from = it.retired ? it.option + ' ' + local(it.retired.label, lang) : it.option;
                lines.push(text(lang, 'rptRemoved', { step, from }));
            } else if (it.kind === 'stepremoved') {
                lines.push(text(lang, 'rptStepRemoved', { step: it.step, from: it.option }));
            } else if (it.kind === 'invalid') {
                lines.push(text(lang, 'rptInvalid', {
                    step,
                    from: optionLabel(cat, it.step, it.option, lang),
                    reason: it.reasons.map((r) => reasonText(cat, r, lang)).join(' '),
                }));
            } else if (it.kind === 'reqdropped') {
                const whyKey = { unknown: 'whyUnknown', unit: 'whyUnit', range: 'whyRange', value: 'whyValue', conflict: 'whyConflict' }[it.why];
                lines.push(text(lang, 'rptReqDropped', {
                    req: reqLabel(cat, it.req, lang),
                    value: it.unit ? it.value + ' ' + it.unit : it.value,
                    why: text(lang, whyKey || 'whyUnknown'),
                }));
            }
        }
        return lines;
    }

    return {
        TEXTS,
        LANGS,
        pickLanguage,
        safeLocale,
        formatNumber,
        text,
        local,
        withUnit,
        stepLabel,
        reqLabel,
        optionLabel,
        reasonText,
        fixTargets,
        codeErrorText,
        loadErrorText,
        reportLines,
    };
});
