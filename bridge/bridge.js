// Injected by the host before the movie's own scripts run. Defines window.brennix, the one
// channel between the movie and the host (see BRIDGE.md).
(function () {
    'use strict';
    if (window.brennix) {
        return;
    }
    const vars = new Map();
    const watchers = new Map();
    const callbacks = new Map();
    // Values the host set before anyone watched them (the movie was still starting).
    const unheard = new Map();

    function post(items) {
        const handlers = window.webkit && window.webkit.messageHandlers;
        if (handlers && handlers.brennixHost) {
            handlers.brennixHost.postMessage(JSON.stringify(items));
        }
    }

    function deliver(name, value) {
        const list = watchers.get(name);
        if (!list) {
            unheard.set(name, value);
            return;
        }
        for (const fn of list.slice()) {
            try {
                fn(value);
            } catch (e) {
                console.error(e);
            }
        }
    }

    // The arguments of an invoke request: the texts of the children of <arguments>.
    function parseInvoke(text) {
        const doc = new DOMParser().parseFromString(text, 'application/xml');
        if (doc.getElementsByTagName('parsererror').length > 0) {
            throw new Error('invoke request is not well-formed');
        }
        const root = doc.documentElement;
        if (!root || root.nodeName !== 'invoke') {
            throw new Error('invoke request has no invoke root');
        }
        const args = [];
        for (const child of root.children) {
            if (child.nodeName === 'arguments') {
                for (const arg of child.children) {
                    args.push(arg.textContent);
                }
            }
        }
        return { name: root.getAttribute('name') || '', args: args };
    }

    function escapeXml(text) {
        return text.replace(/&/g, '&amp;').replace(/</g, '&lt;').replace(/>/g, '&gt;');
    }

    const host = Object.freeze({
        setVariable(name, value) {
            vars.set(name, value);
            // Deliver after the host's call has returned, in the order of the calls.
            setTimeout(function () { deliver(name, value); }, 0);
            return '';
        },
        getVariable(name) {
            const value = vars.get(name);
            return value === undefined ? '' : value;
        },
        callFunction(request) {
            const call = parseInvoke(request);
            const fn = callbacks.get(call.name);
            if (!fn) {
                return '';
            }
            const result = fn.apply(null, call.args);
            return result === undefined || result === null
                ? '' : '<string>' + escapeXml(String(result)) + '</string>';
        },
        stopPlay() {
            // Movies that animate may listen for this; nothing else to do.
            window.dispatchEvent(new Event('brennix-stopplay'));
            return '';
        },
    });

    const api = Object.freeze({
        hosted: true,
        get(name) {
            return host.getVariable(String(name));
        },
        set(name, value) {
            vars.set(String(name), String(value));
        },
        watch(name, fn) {
            const key = String(name);
            if (!watchers.has(key)) {
                watchers.set(key, []);
            }
            watchers.get(key).push(fn);
            if (unheard.has(key)) {
                const value = unheard.get(key);
                unheard.delete(key);
                setTimeout(function () { deliver(key, value); }, 0);
            }
        },
        fsCommand(command, args) {
            post(['FSCommand', String(command == null ? '' : command),
                String(args == null ? '' : args)]);
        },
        externalCall(request) {
            post(['FlashCall', String(request == null ? '' : request)]);
        },
        addCallback(name, fn) {
            callbacks.set(String(name), fn);
        },
        __host: host,
    });
    Object.defineProperty(window, 'brennix', { value: api, writable: false, configurable: false });
})();
