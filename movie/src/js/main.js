// Start-up: read the embedded catalog, build the page and answer the host.
(function (root) {
    'use strict';
    const BX = root.BX;

    function start() {
        const doc = root.document;
        const bridge = root.brennix && typeof root.brennix.set === 'function' ? root.brennix : null;
        const hosted = !!(bridge && bridge.hosted !== false);
        const lang = BX.i18n.pickLanguage(root.navigator && root.navigator.language);
        let cat = null;
        let failure = null;
        try {
            cat = BX.catalog.prepare(JSON.parse(doc.getElementById('bx-catalog').textContent));
        } catch (e) {
            failure = e;
        }

        if (!cat) {
            // Still answer the host, so that it can close: there is never anything to save.
            doc.getElementById('app').replaceChildren(
                BX.ui.h('div', { class: 'fatal' }, 'The product catalog could not be read: ' + String(failure && failure.message))
            );
            BX.contract.attach(bridge, { data: () => '', newSelection() {}, load() {}, setNetwork() {} });
            return;
        }

        const session = new BX.session.Session(cat);
        // Outside the host nobody answers checkNetworkEnable; the browser's own idea
        // of being online is the best guess there.
        const online = !hosted && !!(root.navigator && root.navigator.onLine);
        const ui = BX.ui.create(doc, cat, session, { lang, network: online });
        BX.contract.attach(bridge, BX.contract.sessionApp(session, (on) => ui.setNetwork(on), () => ui.commitEditing()));
        BX.app = { cat, session, ui };
    }

    if (root.document.readyState === 'loading') root.document.addEventListener('DOMContentLoaded', start);
    else start();
})(typeof globalThis !== 'undefined' ? globalThis : this);
