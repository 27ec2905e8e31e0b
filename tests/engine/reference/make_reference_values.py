#!/usr/bin/env python3
"""Prints the reference values of higher_math_reference.txt, computed with mpmath at 40 digits.

Each row is a formula and then, after the last blank, the exact mathematical value of the function the formula
names, as the closest double, independent of the engine's own algorithms.
"""
import mpmath as mp

mp.mp.dps = 40


def row(formula, value):
    return '%-28s %r' % (formula, float(mp.mpf(value)))


def lines():
    g = mp.gamma
    yield '# gamma'
    for x in ['0.5', '1.5', '2.5', '5', '10', '20.5', '100', '170.5', '0.001', '-0.5', '-1.5',
              '-2.5', '-10.5']:
        yield row('gamma(%s)' % x, g(mp.mpf(x)))
    yield '# gammaln'
    for x in ['0.5', '3', '10', '100', '1000', '100000', '1e10', '-1.5', '-3.5']:
        yield row('gammaln(%s)' % x, mp.log(abs(g(mp.mpf(x)))))
    yield '# gammainc, series (a + 1 > x)'
    for a, x in [('1', '0.5'), ('2', '1'), ('5', '3'), ('0.5', '0.1'), ('10', '5'),
                 ('100', '90'), ('3', '3.5'), ('0.25', '0.5')]:
        yield row('gammainc(%s, %s)' % (a, x), mp.gammainc(mp.mpf(a), 0, mp.mpf(x), regularized=True))
    yield '# gammainc, continued fraction (a + 1 <= x)'
    for a, x in [('1', '3'), ('3', '10'), ('0.5', '2'), ('10', '20'), ('100', '120'),
                 ('2', '30'), ('0.5', '1.5')]:
        yield row('gammainc(%s, %s)' % (a, x), mp.gammainc(mp.mpf(a), 0, mp.mpf(x), regularized=True))
    yield '# beta'
    for a, b in [('2', '3'), ('0.5', '0.5'), ('10', '20'), ('1.5', '2.5'), ('100', '0.5')]:
        yield row('beta(%s, %s)' % (a, b), mp.beta(mp.mpf(a), mp.mpf(b)))
    yield '# betainc, direct and flipped'
    for x, a, b in [('0.5', '2', '3'), ('0.3', '2', '5'), ('0.1', '0.5', '0.5'),
                    ('0.9', '0.5', '0.5'), ('0.7', '2', '5'), ('0.2', '10', '10'),
                    ('0.8', '10', '10'), ('0.5', '100', '100'), ('0.45', '100', '100'),
                    ('0.01', '1', '3'), ('0.999', '3', '1')]:
        yield row('betainc(%s, %s, %s)' % (x, a, b),
                  mp.betainc(mp.mpf(a), mp.mpf(b), 0, mp.mpf(x), regularized=True))
    yield '# besselj'
    for n in [0, 1, 2, 5, 10]:
        for x in ['0.5', '1', '2', '5', '10', '20']:
            yield row('besselj(%s, %d)' % (x, n), mp.besselj(n, mp.mpf(x)))
    for x, n in [('-1', 1), ('-2', 2), ('-5', 3), ('1', -1), ('2', -2), ('5', -3), ('-1', -1)]:
        yield row('besselj(%s, %d)' % (x, n), mp.besselj(n, mp.mpf(x)))
    yield '# bessely'
    for n in [0, 1, 2, 5]:
        for x in ['0.5', '1', '2', '5', '10']:
            yield row('bessely(%s, %d)' % (x, n), mp.bessely(n, mp.mpf(x)))
    for x, n in [('1', -1), ('2', -2), ('3', -3)]:
        yield row('bessely(%s, %d)' % (x, n), mp.bessely(n, mp.mpf(x)))
    yield '# erf and erfc'
    for x in ['0.1', '0.5', '1', '2', '3', '-1', '-0.3']:
        yield row('erf(%s)' % x, mp.erf(mp.mpf(x)))
    for x in ['0.5', '1', '2', '3', '-1']:
        yield row('erfc(%s)' % x, mp.erfc(mp.mpf(x)))
    yield '# normal: density of the standard normal at z, and the two tails'
    for x, m, s in [('1.96', '0', '1'), ('1', '0', '1'), ('-1', '0', '1'), ('2', '1', '2'),
                    ('-3', '0', '1')]:
        z = (mp.mpf(x) - mp.mpf(m)) / mp.mpf(s)
        yield row('normal(%s, %s, %s, 0)' % (x, m, s), mp.npdf(z))
        yield row('normal(%s, %s, %s, 1)' % (x, m, s), mp.ncdf(z))
        yield row('normal(%s, %s, %s, 2)' % (x, m, s), 1 - mp.ncdf(z))
    yield '# binom: P(X = k), P(X <= k), P(X >= k)'
    for n, k, p in [(10, 3, '0.5'), (20, 5, '0.3'), (50, 40, '0.75'), (7, 0, '0.2')]:
        p = mp.mpf(p)
        pm = [mp.binomial(n, i) * p**i * (1 - p)**(n - i) for i in range(n + 1)]
        yield row('binom(%d, %d, %s, 0)' % (n, k, mp.nstr(p, 5)), pm[k])
        yield row('binom(%d, %d, %s, 1)' % (n, k, mp.nstr(p, 5)), mp.fsum(pm[:k + 1]))
        yield row('binom(%d, %d, %s, 2)' % (n, k, mp.nstr(p, 5)), mp.fsum(pm[k:]))
    yield '# fdist: density, P(F <= x), P(F > x)'
    for x, d1, d2 in [('1.5', 2, 3), ('2', 5, 10), ('0.5', 1, 1), ('3', 10, 4)]:
        a, b, xv = mp.mpf(d1) / 2, mp.mpf(d2) / 2, mp.mpf(x)
        pdf = xv**(a - 1) / (a / b * xv + 1)**(a + b) * (a / b)**a / mp.beta(a, b)
        cdf = mp.betainc(a, b, 0, a * xv / (a * xv + b), regularized=True)
        yield row('fdist(%s, %d, %d, 0)' % (x, d1, d2), pdf)
        yield row('fdist(%s, %d, %d, 1)' % (x, d1, d2), cdf)
        yield row('fdist(%s, %d, %d, 2)' % (x, d1, d2), 1 - cdf)
    yield '# tdist: density, P(T <= |t|), P(T > |t|)'
    for t, v in [('2', 5), ('1', 1), ('0.5', 10), ('-2', 5), ('3', 30)]:
        tv, nu = mp.mpf(t), mp.mpf(v)
        pdf = mp.gamma((nu + 1) / 2) / (mp.sqrt(nu * mp.pi) * mp.gamma(nu / 2)) * \
            (1 + tv * tv / nu)**(-(nu + 1) / 2)
        upper = mp.betainc(nu / 2, mp.mpf(1) / 2, 0, nu / (nu + tv * tv), regularized=True) / 2
        yield row('tdist(%s, %d, 0)' % (t, v), pdf)
        yield row('tdist(%s, %d, 1)' % (t, v), 1 - upper)
        yield row('tdist(%s, %d, 2)' % (t, v), upper)
    yield '# chidist: density, P(X <= x), P(X > x)'
    for x, v in [('2', 2), ('3', 4), ('10', 5), ('0.5', 1), ('30', 20)]:
        xv, k = mp.mpf(x), mp.mpf(v)
        pdf = xv**(k / 2 - 1) * mp.exp(-xv / 2) / (2**(k / 2) * mp.gamma(k / 2))
        cdf = mp.gammainc(k / 2, 0, xv / 2, regularized=True)
        yield row('chidist(%s, %d, 0)' % (x, v), pdf)
        yield row('chidist(%s, %d, 1)' % (x, v), cdf)
        yield row('chidist(%s, %d, 2)' % (x, v), 1 - cdf)


if __name__ == '__main__':
    print('# Reference values computed with mpmath %s at %d digits by make_reference_values.py.'
          % (mp.__version__, mp.mp.dps))
    for line in lines():
        print(line)
