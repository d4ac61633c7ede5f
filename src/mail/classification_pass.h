#pragma once

#include "classify/learned_score.h"

#include <QHash>

#include <functional>

class Global;
class MessageTable;

// The classification pass of a retrieval run: every occupied row from row 1 is made current,
// its file read and its cells put through the classifier's tests, yielding once per row; then
// the grid's last row is made current and, when enabled, duplicate subjects are marked. Each
// row starts unmarked whatever its Action cell holds: the retrieval run fills an emptied table.
// `scores` holds the learned scores by row, for the learned test; empty when learning is off.
void classifyRows(MessageTable& table, const Global& global, const QHash<int, LearnedScore>& scores,
                  const std::function<void()>& yieldOnce);
