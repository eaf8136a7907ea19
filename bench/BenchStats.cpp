#include "BenchStats.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <numeric>

double NowMs()
{
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        ::QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER now;
    ::QueryPerformanceCounter(&now);
    return double(now.QuadPart) * 1000.0 / double(frequency.QuadPart);
}

namespace {

double Quantile(std::vector<double> v, double q)
{
    if (v.empty())
        return 0;
    std::sort(v.begin(), v.end());
    // Nearest rank: the p95 of ten samples is the largest but none.
    const size_t rank = size_t(std::ceil(q * double(v.size())));
    return v[std::min(v.size() - 1, rank == 0 ? 0 : rank - 1)];
}

std::string Format(double v, const std::string& unit)
{
    char text[64];
    if (unit == "bytes" || unit == "count" || unit == "B/contact")
        std::snprintf(text, sizeof text, "%.0f", v);
    else if (v < 10)
        std::snprintf(text, sizeof text, "%.2f", v);
    else
        std::snprintf(text, sizeof text, "%.1f", v);
    return text;
}

std::string Triple(const Samples& s, const std::string& unit)
{
    if (s.values.empty())
        return "-";
    if (s.values.size() == 1)
        return Format(s.values[0], unit);
    return Format(s.Median(), unit) + " / " + Format(s.P95(), unit) + " / " + Format(s.Max(), unit);
}

std::string Escape(const std::string& text)
{
    std::string out;
    for (char c : text) {
        if (c == '"' || c == '\\')
            out += '\\';
        if (c == '\n') {
            out += "\\n";
            continue;
        }
        out += c;
    }
    return out;
}

std::string Array(const Samples& s)
{
    std::string out = "[";
    char text[32];
    for (size_t i = 0; i < s.values.size(); ++i) {
        std::snprintf(text, sizeof text, "%s%.4f", i ? "," : "", s.values[i]);
        out += text;
    }
    return out + "]";
}

}  // namespace

double Samples::Median() const { return Quantile(values, 0.5); }
double Samples::P95() const { return Quantile(values, 0.95); }
double Samples::Max() const { return values.empty() ? 0 : *std::max_element(values.begin(), values.end()); }
double Samples::Sum() const { return std::accumulate(values.begin(), values.end(), 0.0); }

std::string Report::Table() const
{
    std::string out =
        "| case | unit | ours (median / p95 / max) | peer (median / p95 / max) | ratio ours/peer (median) "
        "| target | met |\n|---|---|---|---|---|---|---|\n";
    for (const CaseResult& r : m_results) {
        std::string ratio = "-";
        if (!r.peer.values.empty() && r.peer.Median() > 0 && r.unit != "exponent") {
            char text[32];
            std::snprintf(text, sizeof text, "%.2f", r.ours.Median() / r.peer.Median());
            ratio = text;
        }
        std::string peer = Triple(r.peer, r.unit);
        if (!r.reference.values.empty())
            peer += " (inserts: " + Format(r.reference.Median(), r.unit) + ")";
        out += "| " + r.name + " | " + r.unit + " | " + Triple(r.ours, r.unit) + " | " + peer + " | " + ratio + " | " +
               r.target + " | " + (r.met ? "yes" : "**MISSED**") + (r.note.empty() ? "" : " (" + r.note + ")") + " |\n";
    }
    return out;
}

std::string Report::Json(const std::string& machine) const
{
    std::string out = "{\n  \"machine\": " + machine + ",\n  \"cases\": [\n";
    for (size_t i = 0; i < m_results.size(); ++i) {
        const CaseResult& r = m_results[i];
        out += "    {\"name\": \"" + Escape(r.name) + "\", \"unit\": \"" + r.unit + "\", \"target\": \"" +
               Escape(r.target) + "\", \"met\": " + (r.met ? "true" : "false") + ", \"note\": \"" + Escape(r.note) +
               "\",\n     \"ours\": " + Array(r.ours) + ",\n     \"peer\": " + Array(r.peer) +
               ",\n     \"reference\": " + Array(r.reference) + "}" + (i + 1 < m_results.size() ? "," : "") + "\n";
    }
    return out + "  ]\n}\n";
}
