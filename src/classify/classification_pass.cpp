#include "classify/classification_pass.h"

#include "classify/classifier.h"
#include "review/message_table.h"
#include "store/global.h"

namespace {

// The tests after the header, each on the row's action as it stands at that moment, so a
// test that marks the row switches the later conditional ones off.
void classifyRow(Classifier& classifier, const MessageTable& table, int r,
                 const Settings& settings) {
    auto unmarked = [&] { return table.cell(r, col::Action).isEmpty(); };
    classifier.ProcessHeader();
    if (settings.isExactlyOne(setting::UseBlacklist))
        classifier.CheckBlacklist();
    if (unmarked())
        classifier.CheckAttachments();
    if (unmarked())
        classifier.ApplyRules();
    if (unmarked() && settings.isExactlyOne(setting::MarkNotToMe))
        classifier.CheckAccount();
    // The whitelist runs last and whatever it matches wins over every earlier mark.
    if (settings.isNumericOne(setting::UseWhitelist))
        classifier.CheckWhitelist();
}

} // namespace

void classifyRows(MessageTable& table, const Global& global,
                  const std::function<void()>& yieldOnce) {
    Classifier classifier(table, global);
    for (int r = 1; table.isOccupied(r); ++r) {
        table.grid().setRow(r);
        classifyRow(classifier, table, r, global.settings);
        yieldOnce();
    }
    table.grid().setRow(table.grid().Rows() - 1);
    if (global.settings.isNumericOne(setting::MarkDuplicates))
        classifier.DuplicateSubjects();
}
