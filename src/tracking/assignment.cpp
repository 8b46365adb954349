#include "tracking/assignment.h"

#include <limits>

namespace vornix::tracking {

// Shortest augmenting paths with row and column potentials; rows and columns are numbered from
// 1 inside, 0 standing for "none".
std::vector<int> minimumCostAssignment(const std::vector<std::vector<double>>& cost) {
  const int rows = static_cast<int>(cost.size());
  if (rows == 0) return {};
  const int columns = static_cast<int>(cost[0].size());
  constexpr double kInfinity = std::numeric_limits<double>::infinity();
  std::vector<double> u(rows + 1, 0), v(columns + 1, 0);
  std::vector<int> rowOfColumn(columns + 1, 0), way(columns + 1, 0);
  for (int r = 1; r <= rows; ++r) {
    rowOfColumn[0] = r;
    int column = 0;
    std::vector<double> least(columns + 1, kInfinity);
    std::vector<bool> used(columns + 1, false);
    do {
      used[column] = true;
      const int row = rowOfColumn[column];
      double delta = kInfinity;
      int next = 0;
      for (int c = 1; c <= columns; ++c) {
        if (used[c]) continue;
        const double reduced = cost[row - 1][c - 1] - u[row] - v[c];
        if (reduced < least[c]) {
          least[c] = reduced;
          way[c] = column;
        }
        if (least[c] < delta) {
          delta = least[c];
          next = c;
        }
      }
      for (int c = 0; c <= columns; ++c) {
        if (used[c]) {
          u[rowOfColumn[c]] += delta;
          v[c] -= delta;
        } else {
          least[c] -= delta;
        }
      }
      column = next;
    } while (rowOfColumn[column] != 0);
    do {
      const int previous = way[column];
      rowOfColumn[column] = rowOfColumn[previous];
      column = previous;
    } while (column != 0);
  }
  std::vector<int> columnOfRow(rows, -1);
  for (int c = 1; c <= columns; ++c)
    if (rowOfColumn[c] != 0) columnOfRow[rowOfColumn[c] - 1] = c - 1;
  return columnOfRow;
}

}  // namespace vornix::tracking
