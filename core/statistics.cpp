#include "statistics.h"
#include "numbers.h"

SheetStatistics ComputeSheetStatistics(const std::vector<std::string>& texts) {
    SheetStatistics st;
    for (const std::string& text : texts) {
        const auto value = ParseNumber(text);
        if (!value)
            continue;
        const auto v = RoundToInt16(*value);
        if (!v || *v < 0 || *v > 100)
            continue;
        if (++st.Counts[*v] == 1)
            ++st.DistinctCount;
        if (*v < st.Lowest)
            st.Lowest = *v;
        if (*v > st.Highest)
            st.Highest = *v;
    }
    for (int level = 8; level >= 1; --level) {
        const auto rank = static_cast<std::int16_t>(st.Ranking.size() + 1);
        for (int v = 0; v <= 99; ++v) {
            if (st.Counts[v] != level)
                continue;
            st.Ranking.push_back({rank, static_cast<std::int16_t>(v), static_cast<std::int16_t>(level)});
            if (st.Ranking.size() == 10)
                return st;
        }
    }
    return st;
}
