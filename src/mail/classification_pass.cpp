#include "mail/classification_pass.h"

#include "classify/classifier.h"
#include "review/message_table.h"
#include "store/global.h"

namespace {

void markRow(MessageTable& table, int r, const Mark& mark) {
    table.ColourRow(mark.action, r, colour::of(mark.action), mark.reason);
}

// The row's file is read once for all its tests; the row keeps whatever header cell the file
// does not hold, and is painted only when a test marked it.
void classifyRow(const Classifier& classifier, MessageTable& table, int r, const Global& global,
                 const QHash<int, LearnedScore>& scores) {
    const MessageFile file = MessageFile::read(global.dataPath(table.cell(r, col::File)));
    Candidate c{{table.cell(r, col::From), table.cell(r, col::Subject), table.cell(r, col::To),
                 table.cell(r, col::IP)},
                table.cell(r, col::Size),
                file};
    if (const auto score = scores.constFind(r); score != scores.cend())
        c.score = *score;
    classifier.classify(c);
    table.setCell(r, col::From, c.cells.From);
    table.setCell(r, col::Subject, c.cells.Subject);
    table.setCell(r, col::To, c.cells.To);
    table.setCell(r, col::IP, c.cells.IP);
    if (c.mark)
        markRow(table, r, *c.mark);
}

void markDuplicates(MessageTable& table, const QHash<int, LearnedScore>& scores) {
    QList<SubjectAndAction> rows;
    for (int r = 1; table.isOccupied(r); ++r)
        rows.append({table.cell(r, col::Subject), table.cell(r, col::Action)});
    for (const qsizetype i : DuplicateSubjects(rows)) {
        const int r = static_cast<int>(i) + 1;
        const auto score = scores.constFind(r);
        markRow(table, r,
                score == scores.cend() ? DuplicateMark : *LearnedMark(DuplicateMark, *score));
    }
}

} // namespace

void classifyRows(MessageTable& table, const Global& global, const QHash<int, LearnedScore>& scores,
                  const std::function<void()>& yieldOnce) {
    const Classifier classifier(global);
    const GridModel::Batch batch(table.grid()); // the view hears of the fill once, at its end
    for (int r = 1; table.isOccupied(r); ++r) {
        table.grid().setRow(r);
        classifyRow(classifier, table, r, global, scores);
        yieldOnce();
    }
    table.grid().setRow(table.grid().Rows() - 1);
    if (global.settings.isNumericOne(setting::MarkDuplicates))
        markDuplicates(table, scores);
}
