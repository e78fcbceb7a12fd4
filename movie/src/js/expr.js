// Small arithmetic expressions used by catalogs for derived values and limits.
// Grammar: numbers, names ("size.screwRoot", "stroke", "req.load", "derived.loadH"),
// + - * / ^ (power, right-associative), unary minus, parentheses and the functions
// min, max, floor, ceil, round, abs, sqrt. Nothing else: a catalog must never be able
// to run code.
(function (root, factory) {
    if (typeof module === 'object' && module.exports) {
        module.exports = factory();
    } else {
        (root.BX = root.BX || {}).expr = factory();
    }
})(typeof globalThis !== 'undefined' ? globalThis : this, function () {
    'use strict';

    const FUNCTIONS = {
        min: { args: [1, Infinity], fn: (...a) => Math.min(...a) },
        max: { args: [1, Infinity], fn: (...a) => Math.max(...a) },
        floor: { args: [1, 1], fn: Math.floor },
        ceil: { args: [1, 1], fn: Math.ceil },
        round: { args: [1, 1], fn: Math.round },
        abs: { args: [1, 1], fn: Math.abs },
        sqrt: { args: [1, 1], fn: Math.sqrt },
    };

    class ExprError extends Error {}

    function tokenize(text) {
        const tokens = [];
        const re = /\s*(?:(\d+(?:\.\d+)?(?:[eE][+-]?\d+)?)|([A-Za-z_][A-Za-z0-9_]*(?:\.[A-Za-z_][A-Za-z0-9_]*)?)|(.))/gy;
        let m;
        re.lastIndex = 0;
        while (re.lastIndex < text.length) {
            const at = re.lastIndex;
            m = re.exec(text);
            if (!m) break;
            if (m[1] !== undefined) tokens.push({ t: 'num', v: Number(m[1]), at });
            else if (m[2] !== undefined) tokens.push({ t: 'name', v: m[2], at });
            else if (m[3] !== undefined) {
                if (!'+-*/^(),'.includes(m[3])) {
                    throw new ExprError(`unexpected "${m[3]}" at ${at + 1}`);
                }
                tokens.push({ t: m[3], at });
            }
        }
        tokens.push({ t: 'end', at: text.length });
        return tokens;
    }

    // Recursive descent; builds closures so evaluation is cheap (the selection
    // search evaluates limits many thousand times).
    function parse(text) {
        const tokens = tokenize(text);
        const refs = new Set();
        let i = 0;
        const peek = () => tokens[i];
        const take = (t) => {
            if (tokens[i].t !== t) {
                throw new ExprError(`expected "${t}" at ${tokens[i].at + 1}`);
            }
            return tokens[i++];
        };

        function primary() {
            const tok = peek();
            if (tok.t === 'num') {
                i++;
                const v = tok.v;
                return () => v;
            }
            if (tok.t === '-') {
                i++;
                const inner = power();
                return (ctx) => -inner(ctx);
            }
            if (tok.t === '(') {
                i++;
                const inner = additive();
                take(')');
                return inner;
            }
            if (tok.t === 'name') {
                i++;
                if (peek().t === '(') {
                    const f = FUNCTIONS[tok.v];
                    if (!f) throw new ExprError(`unknown function "${tok.v}"`);
                    i++;
                    const args = [additive()];
                    while (peek().t === ',') {
                        i++;
                        args.push(additive());
                    }
                    take(')');
                    if (args.length < f.args[0] || args.length > f.args[1]) {
                        throw new ExprError(`wrong number of arguments for "${tok.v}"`);
                    }
                    return (ctx) => f.fn(...args.map((a) => a(ctx)));
                }
                const name = tok.v;
                refs.add(name);
                return (ctx) => ctx(name);
            }
            throw new ExprError(`unexpected ${tok.t === 'end' ? 'end' : '"' + tok.t + '"'} at ${tok.at + 1}`);
        }
        function power() {
            const base = primary();
            if (peek().t === '^') {
                i++;
                const exp = power();
                return (ctx) => Math.pow(base(ctx), exp(ctx));
            }
            return base;
        }
        function multiplicative() {
            let left = power();
            while (peek().t === '*' || peek().t === '/') {
                const op = tokens[i++].t;
                const l = left;
                const r = power();
                left = op === '*' ? (ctx) => l(ctx) * r(ctx) : (ctx) => l(ctx) / r(ctx);
            }
            return left;
        }
        function additive() {
            let left = multiplicative();
            while (peek().t === '+' || peek().t === '-') {
                const op = tokens[i++].t;
                const l = left;
                const r = multiplicative();
                left = op === '+' ? (ctx) => l(ctx) + r(ctx) : (ctx) => l(ctx) - r(ctx);
            }
            return left;
        }

        const fn = additive();
        take('end');
        return { fn, refs: [...refs] };
    }

    // compile("a.b * 2") -> { refs: ["a.b"], evaluate(lookup) }, where lookup(name)
    // gives a number. Throws ExprError on a malformed expression.
    function compile(text) {
        if (typeof text === 'number') {
            return { source: String(text), refs: [], evaluate: () => text };
        }
        if (typeof text !== 'string' || text.trim() === '') {
            throw new ExprError('empty expression');
        }
        const { fn, refs } = parse(text);
        return { source: text, refs, evaluate: fn };
    }

    return { compile, ExprError };
});
