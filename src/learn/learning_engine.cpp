#include "learn/learning_engine.h"

#include "store/global.h"
#include "store/text_file.h"

#include <QFileInfo>
#include <QStandardPaths>

namespace {

const QString Program = QStringLiteral("bogofilter");
const QString FolderName = QStringLiteral("Learning");
const QString RecordName = QStringLiteral("Taught.txt");

// No configuration file but ours: the system's would change the scores under the cut-offs.
const QString NoConfig = QStringLiteral("-C");
const QString WordListFolder = QStringLiteral("-d");
// Scoring: the terse verdict of each message of the mailbox on the input. Every token but those
// within 0.02 of the middle counts, and a token seen rarely is drawn towards 0.52 with weight
// 0.1. Measured on a public corpus of real mail taught as Process teaches, this marks more spam
// and less good mail than the engine's defaults or a wider middle band, and leaves more good
// mail confidently good for the referee; the weight keeps the few words of a young word list
// from judging alone, so a new user's first rounds come out right as well.
const QStringList ScoreArguments{QStringLiteral("-m"), QStringLiteral("0.02,0.1,0.52"),
                                 QStringLiteral("-M"), QStringLiteral("-T")};

} // namespace

LearningEngine::LearningEngine(const Global& global)
    : global_(global), program_(QStandardPaths::findExecutable(Program)) {}

bool LearningEngine::available() const {
    const QFileInfo info(program_);
    return !program_.isEmpty() && info.isFile() && info.isExecutable();
}

bool LearningEngine::on() const {
    return global_.settings.learningOn() && available();
}

bool LearningEngine::learned() {
    const TaughtRecord& taught = record();
    return taught.count(TaughtRecord::Kind::Spam) >= MinLessons &&
           taught.count(TaughtRecord::Kind::Good) >= MinLessons;
}

std::unique_ptr<ScoringBatch> LearningEngine::startScoring() {
    if (!on() || !learned())
        return nullptr;
    return std::make_unique<ScoringBatch>(program_, arguments() + ScoreArguments);
}

LearnedScore LearningEngine::judge(double score) {
    using Verdict = LearnedScore::Verdict;
    const Verdict verdict = score > SpamCutoff    ? Verdict::Spam
                            : score <= GoodCutoff ? Verdict::Good
                                                  : Verdict::Unsure;
    return {verdict, score};
}

bool LearningEngine::teach(const QList<Lesson>& lessons) {
    if (!available() || lessons.isEmpty())
        return false;
    // The word list and the record are written only here: scoring and the record's counts read
    // a folder that is not there yet as an empty one.
    textfile::ensurePrivateFolder(folder());
    TaughtRecord& taught = record();
    teacher_.setEngine(program_, arguments());
    teacher_.teach(lessons, taught);
    // Noted before the engine has finished: should the program end meanwhile, a message is
    // rather left untaught than taught twice.
    return taught.save();
}

QString LearningEngine::recordName() {
    return FolderName + QLatin1Char('/') + RecordName;
}

QString LearningEngine::folder() const {
    return textfile::join(global_.DataFolder, FolderName);
}

QStringList LearningEngine::arguments() const {
    return {NoConfig, WordListFolder, folder()};
}

TaughtRecord& LearningEngine::record() {
    record_.open(textfile::join(folder(), RecordName));
    return record_;
}
