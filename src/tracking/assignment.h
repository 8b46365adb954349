#pragma once
// Minimum-cost assignment (the Hungarian method) of rows to columns.

#include <vector>

namespace vornix::tracking {

// cost[r][c] for every row r and column c (all rows the same length, at least as many columns
// as rows). Returns for each row its column, chosen so that the sum of the costs is the least
// possible. O(rows² · columns).
std::vector<int> minimumCostAssignment(const std::vector<std::vector<double>>& cost);

}  // namespace vornix::tracking
