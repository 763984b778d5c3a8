#pragma once

// Input files for the benchmarks: a long analysis series and a prediction series, both
// daily, with storms and recessions from the two reservoirs themselves.

#include "files/UTextFields.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

namespace quellow::bench {

/// Analysis input text of rows daily rows whose runoff comes from the model, so that the
/// analysis finds a fit.
inline std::string AnalysisInputText(int rows)
{
    std::string text = " Input data for Quellow program\r\n Analysis and reconstruction\r\n\r\n"
                       "Benchmark catchment\r\nDaily steps, mm/day\r\n\r\n Filename: bench.inp\r\n"
                       " Maximum dead storage:    25.00\r\n Initial dead storage:    12.00\r\n"
                       " Max.escape/time unit:     4.00\r\n\r\n";
    const std::string rule = " " + std::string(49, '-') + "\r\n";
    text += rule + "  Serial    T i m e   R a i n    Esc. rate Run-off\r\n" + rule;
    double q = 9, storage = 12, deficit = 13;
    unsigned seed = 12345;
    for (int i = 1; i <= rows; ++i) {
        seed = seed * 1103515245u + 12345u;
        const double rain = (seed >> 16) % 7 == 0 ? 5.0 + (seed >> 8) % 40 : 0.0;
        const double escape = 2.5 + 1.5 * std::sin(2 * M_PI * i / 365.0);
        double loss = i > 1 ? escape * storage / 25.0 : 0.0;
        loss = std::min(loss, storage);
        deficit += loss;
        storage -= loss;
        double recharge = rain - deficit;
        if (recharge < 0) {
            deficit -= rain;
            storage += rain;
            recharge = 0;
        }
        const double alpha = q > 8 ? 0.006 * q + 0.05 : 0.011 * q + 0.03;
        const double e = std::exp(-alpha);
        q = q * e + (1 - e) * recharge;
        char line[120];
        std::snprintf(line, sizeof line, "%5d %s %s %s %s\r\n", i, choice(i, 12, 2).c_str(),
                      choice(rain, 10, 2).c_str(), choice(escape, 10, 2).c_str(),
                      choice(std::max(q, 1.0), 10, 2).c_str());
        text += line;
    }
    return text;
}

/// Prediction input text (runoff or drainage sub-mode) of rows daily steps.
inline std::string PredictionInputText(int rows, bool drainage)
{
    std::string text =
        std::string(" Input data for Quellow program\r\n") +
        (drainage ? " Prediction drainage\r\n" : " Prediction runoff\r\n") +
        "\r\nBenchmark catchment\r\nDaily steps, mm/day\r\n\r\n Filename: bench.inp\r\n"
        " Maximum dead storage:    25.00\r\n Initial dead storage:    12.00\r\n"
        " Max.escape/time unit:     4.00\r\n"
        " Linear reservoir function : Alpha = A * Runoff + B\r\n"
        " A1 coefficient : 6.0000E-003\r\n Value of B1 is : 5.0000E-002\r\n"
        " A2 coefficient : 1.1000E-002\r\n Value of B2 is : 3.0000E-002\r\n"
        " Effective porosity (%) :    5.00\r\n"
        " Initial runoff rate :     2.00\r\n Initial water level :     0.50\r\n"
        " Runoff division     :     8.00\r\n\r\n";
    const std::string rule = " " + std::string(42, '-') + "\r\n";
    text += rule + " Serial    T i m e   Rainfall   Escape rate\r\n" + rule;
    unsigned seed = 4711;
    for (int i = 1; i <= rows; ++i) {
        seed = seed * 1103515245u + 12345u;
        const double rain = (seed >> 16) % 6 == 0 ? 4.0 + (seed >> 8) % 35 : 0.0;
        const double escape = 2.5 + 1.5 * std::sin(2 * M_PI * i / 365.0);
        char line[120];
        std::snprintf(line, sizeof line, "%5d %s %s %s\r\n", i, choice(i, 12, 2).c_str(),
                      choice(rain, 10, 2).c_str(), choice(escape, 10, 2).c_str());
        text += line;
    }
    return text;
}

} // namespace quellow::bench
