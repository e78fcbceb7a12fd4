// The movie's side of the host contract, over window.brennix:
//   _level0.M_bLoadEndFlg            set to "true" once the requests below are answered
//   _level0.LoadSave.exFunc.nSave    "1": hand the whole selection to fsCommand, once
//   _level0.LoadSave.exFunc.nNew     "1": start an empty selection
//   _level0.LoadSave.exFunc.nLoad    a data text: replace the selection with it
//   checkNetworkEnable / setNetworkEnable   whether online documents may be offered
(function (root, factory) {
    if (typeof module === 'object' && module.exports) {
        module.exports = factory();
    } else {
        (root.BX = root.BX || {}).contract = factory();
    }
})(typeof globalThis !== 'undefined' ? globalThis : this, function () {
    'use strict';

    const VAR_LOADED = '_level0.M_bLoadEndFlg';
    const VAR_SAVE = '_level0.LoadSave.exFunc.nSave';
    const VAR_NEW = '_level0.LoadSave.exFunc.nNew';
    const VAR_LOAD = '_level0.LoadSave.exFunc.nLoad';
    const CHECK_NETWORK = '<invoke name="checkNetworkEnable" returntype="xml"><arguments></arguments></invoke>';

    // app: { data(): string, newSelection(), load(text), setNetwork(bool) }.
    // Returns false when there is no host (the page runs on its own).
    function attach(bridge, app) {
        if (!bridge || typeof bridge.set !== 'function') return false;
        bridge.addCallback('setNetworkEnable', (answer) => {
            app.setNetwork(String(answer) === 'true');
            return '';
        });
        bridge.watch(VAR_SAVE, (value) => {
            if (String(value) !== '1') return;
            bridge.fsCommand(app.data(), '');
        });
        bridge.watch(VAR_NEW, (value) => {
            if (String(value) === '1') app.newSelection();
        });
        bridge.watch(VAR_LOAD, (value) => {
            app.load(value === undefined || value === null ? '' : String(value));
        });
        bridge.set(VAR_LOADED, 'true');
        bridge.externalCall(CHECK_NETWORK);
        return true;
    }

    // The app interface over a selection session. beforeData() lets the page commit
    // an edit still in progress: the host's menus do not take the focus from the page.
    function sessionApp(session, setNetwork, beforeData) {
        return {
            data: () => {
                if (beforeData) beforeData();
                return session.data();
            },
            newSelection: () => session.newSelection(),
            load: (text) => session.load(text),
            setNetwork: (on) => setNetwork(on),
        };
    }

    return { attach, sessionApp, VAR_LOADED, VAR_SAVE, VAR_NEW, VAR_LOAD, CHECK_NETWORK };
});
