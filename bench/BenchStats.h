#pragma once
#include <windows.h>

#include <string>
#include <vector>

// The benchmark's clock: QueryPerformanceCounter in milliseconds.
double NowMs();

// The samples of one measure, warm-up dropped, and what the table shows of them.
struct Samples {
    std::vector<double> values;
    void Add(double v) { values.push_back(v); }
    double Median() const;
    double P95() const;
    double Max() const;
    double Sum() const;
};

// One row of the table: what was measured, ours, the peer's (when there is
// one), the target and whether it was met.
struct CaseResult {
    std::string name;  // "fill.contacts.10000"
    std::string unit;  // "ms", "bytes", "us", "count"
    Samples ours;
    Samples peer;        // empty when the case has no peer
    Samples reference;   // the upper reference (plain inserts), when there is one
    std::string target;  // in words
    bool met = false;
    bool peerRequired = false;  // a case compared with a peer has no number without it
    std::string note;
};

class Report {
public:
    void Add(const CaseResult& result) { m_results.push_back(result); }
    const std::vector<CaseResult>& Results() const { return m_results; }
    // The text table for the README.
    std::string Table() const;
    // Every sample, with the machine's description.
    std::string Json(const std::string& machine) const;

private:
    std::vector<CaseResult> m_results;
};
