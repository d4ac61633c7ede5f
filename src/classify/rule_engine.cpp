#include "classify/rule_engine.h"

#include "mime/mime_message.h"
#include "store/clean_copies.h"

#include <QHash>

#include <algorithm>

namespace {

const QString WhereAnywhere = QStringLiteral("Anywhere");
const QString WhereHead = QStringLiteral("Head");
const QString WhereBody = QStringLiteral("Body");
const QString WhereSubject = QStringLiteral("Subject");
const QString OpAnd = QStringLiteral("AND");
const QString OpOr = QStringLiteral("OR");
const QString OpNot = QStringLiteral("NOT");
constexpr char JoiningSpace = ' ';

} // namespace

DecodedTexts decodedTexts(const MessageFile& message) {
    mime::Readable readable = mime::readable(cleancopy::message(message.bytes()));
    QString head;
    for (const mime::Field& field : readable.header)
        head += QLatin1Char(' ') + field.name + QLatin1String(": ") + field.value;
    return {head, std::move(readable.textBeyondStored)};
}

// The three texts a rule can search, each scanned once for every phrase; with `also`, a
// phrase found in the texts it names counts too.
struct RuleEngine::Found {
    const PhraseMatcher::Scan& head;
    const PhraseMatcher::Scan& body;
    const PhraseMatcher::Scan& subject;
    const Found* also = nullptr;

    bool in(Where where, qsizetype phrase) const {
        if (phrase < 0)
            return false;
        return inOwn(where, phrase) || (also && also->inOwn(where, phrase));
    }
    bool inOwn(Where where, qsizetype phrase) const {
        switch (where) {
        case Where::Head:
            return head.found(phrase);
        case Where::Body:
            return body.found(phrase);
        case Where::Subject:
            return subject.found(phrase);
        case Where::Anywhere:
            break;
        }
        return head.found(phrase) || body.found(phrase) || subject.found(phrase);
    }
};

RuleEngine::RuleEngine(const QList<Rule>& rules) : table_(rules) {
    QHash<QString, qsizetype> ids;
    QStringList phrases;
    auto idOf = [&](const QString& phrase) -> qsizetype {
        if (phrase.isEmpty())
            return -1;
        auto at = ids.constFind(phrase);
        if (at != ids.constEnd())
            return *at;
        phrases.append(phrase);
        return ids[phrase] = phrases.size() - 1;
    };
    auto opOf = [](const QString& op) {
        return op == OpAnd ? Op::And : op == OpOr ? Op::Or : op == OpNot ? Op::Not : Op::Ignored;
    };
    const QHash<QString, Where> places = {{WhereAnywhere, Where::Anywhere},
                                          {WhereHead, Where::Head},
                                          {WhereBody, Where::Body},
                                          {WhereSubject, Where::Subject}};
    for (qsizetype i = 0; i < rules.size() && !rules[i].Where.isEmpty(); ++i) {
        const Rule& rule = rules[i];
        // A rule out of use, or searching no known text, can never mark a row.
        if (rule.Use.isEmpty() || !places.contains(rule.Where))
            continue;
        searchesMessage_ = searchesMessage_ || rule.Where != WhereSubject;
        rules_.push_back(
            {i,
             places.value(rule.Where),
             {idOf(rule.Phrase1), idOf(rule.Phrase2), idOf(rule.Phrase3), idOf(rule.Phrase4)},
             {opOf(rule.Op2), opOf(rule.Op3), opOf(rule.Op4)}});
    }
    matcher_ = PhraseMatcher(phrases);
}

const Rule* RuleEngine::lastMatch(const QString& subject, const MessageFile& message) const {
    if (rules_.empty())
        return nullptr;
    PhraseMatcher::Scan head(matcher_), body(matcher_), subjectScan(matcher_);
    subjectScan.feed(subject.toLower());
    // The head runs up to and including the first line that is exactly empty; every line
    // is joined on with one space before it. Each is searched whole, which lets the matcher
    // split a long text.
    QByteArray joined(message.bytes().size() + message.lineCount(), Qt::Uninitialized);
    char* out = joined.data();
    qsizetype headSize = -1;
    for (qsizetype i = 0; i < message.lineCount(); ++i) {
        const QByteArrayView line = message.lineBytes(i);
        *out++ = JoiningSpace;
        out = std::copy(line.begin(), line.end(), out);
        if (line.isEmpty() && headSize < 0)
            headSize = out - joined.data();
    }
    const QByteArrayView text(joined.data(), out - joined.data());
    head.feedFolded(headSize < 0 ? text : text.first(headSize));
    body.feedFolded(headSize < 0 ? QByteArrayView() : text.sliced(headSize));
    const Found stored{head, body, subjectScan};
    PhraseMatcher::Scan decodedHead(matcher_), decodedBody(matcher_);
    const bool decoded = searchesMessage_ && message.lineCount() > 0;
    if (decoded) {
        const DecodedTexts texts = decodedTexts(message);
        decodedHead.feedLowered(texts.head);
        decodedBody.feedLowered(texts.body);
    }
    const Found read{decodedHead, decodedBody, subjectScan, &stored};
    for (auto rule = rules_.rbegin(); rule != rules_.rend(); ++rule)
        if (matches(*rule, stored) || (decoded && matches(*rule, read)))
            return &table_[rule->index];
    return nullptr;
}

// Strictly left to right, with no precedence between the operators.
bool RuleEngine::matches(const Compiled& rule, const Found& found) const {
    bool result = found.in(rule.where, rule.phrase[0]);
    for (int k = 1; k < Phrases; ++k) {
        const bool t = found.in(rule.where, rule.phrase[static_cast<size_t>(k)]);
        switch (rule.op[static_cast<size_t>(k - 1)]) {
        case Op::And:
            result = result && t;
            break;
        case Op::Or:
            result = result || t;
            break;
        case Op::Not:
            result = result && !t;
            break;
        case Op::Ignored:
            break;
        }
    }
    return result;
}
