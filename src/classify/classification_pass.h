#pragma once

#include <functional>

class Global;
class MessageTable;

// The classification pass of a retrieval run: every occupied row from row 1 goes through the
// header extraction and the per-row tests in their fixed order, yielding once per row; then
// the grid's last row is made current and, when enabled, duplicate subjects are marked.
void classifyRows(MessageTable& table, const Global& global,
                  const std::function<void()>& yieldOnce);
