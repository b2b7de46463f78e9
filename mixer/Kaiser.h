// The zeroth-order modified Bessel function of the first kind, I0, which shapes Kaiser
// windows.
#ifndef MIXER_KAISER_H
#define MIXER_KAISER_H

// Its power series, summed until a term no longer changes the sum: past k = x / 2 the
// terms only shrink, so none of the rest would.
inline double
BesselI0(double x)
{
    double sum = 1.0, term = 1.0;
    for (int k = 1; k < 40; k++) {
        term *= (x / (2.0 * k)) * (x / (2.0 * k));
        if (k > x / 2 && sum + term == sum)
            break;
        sum += term;
    }
    return sum;
}

#endif
