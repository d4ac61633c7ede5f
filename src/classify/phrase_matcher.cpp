#include "classify/phrase_matcher.h"

#include <algorithm>
#include <deque>

namespace {

// Full transition rows cost (states x symbols) entries, so only the shallowest states get one
// while they fit in about 16 MB; deeper states, rarely reached in real text, walk their
// failure links instead. Rule sets of ordinary words fit whole.
constexpr int64_t DenseBudget = int64_t(1) << 22;
constexpr char16_t Latin1End = 0x100;

char16_t folded(uchar byte) {
    if (byte == '\t')
        return u' ';
    return QChar(static_cast<char16_t>(byte)).toLower().unicode();
}

} // namespace

PhraseMatcher::PhraseMatcher(const QStringList& phrases)
    : phraseCount_(phrases.size()) {
    assignSymbols(phrases);
    children_.emplace_back();
    phraseAt_.push_back(-1);
    for (qsizetype id = 0; id < phrases.size(); ++id)
        addPhrase(phrases[id], static_cast<int>(id));
    linkBreadthFirst();
}

void PhraseMatcher::assignSymbols(const QStringList& phrases) {
    for (const QString& phrase : phrases)
        for (QChar unit : phrase) {
            const char16_t u = unit.unicode();
            Symbol& symbol = u < Latin1End ? latin1Symbol_[u] : wideSymbol_[u];
            if (symbol == 0)
                symbol = symbolCount_++;
        }
    for (int byte = 0; byte < 256; ++byte)
        foldedByte_[static_cast<size_t>(byte)] = symbolOf(folded(static_cast<uchar>(byte)));
}

inline PhraseMatcher::Symbol PhraseMatcher::symbolOf(char16_t unit) const {
    return unit < Latin1End ? latin1Symbol_[unit] : wideSymbol_.value(unit, 0);
}

void PhraseMatcher::addPhrase(QStringView phrase, int id) {
    State s = Root;
    for (QChar unit : phrase) {
        const Symbol symbol = symbolOf(unit.unicode());
        auto& edges = children_[s];
        auto at = std::lower_bound(edges.begin(), edges.end(), symbol,
                                   [](const Edge& e, Symbol c) { return e.symbol < c; });
        if (at != edges.end() && at->symbol == symbol) {
            s = at->target;
            continue;
        }
        const auto created = static_cast<State>(children_.size());
        edges.insert(at, Edge{symbol, created});
        children_.emplace_back();
        phraseAt_.push_back(-1);
        s = created;
    }
    phraseAt_[s] = id;
}

// Breadth first, so every state's failure target (which is shallower) is complete before the
// state itself is linked and given its dense row.
void PhraseMatcher::linkBreadthFirst() {
    const size_t states = children_.size();
    fail_.assign(states, Root);
    firstOutput_.assign(states, None);
    nextOutput_.assign(states, None);
    denseAt_.assign(states, -1);
    std::deque<State> queue{Root};
    while (!queue.empty()) {
        const State u = queue.front();
        queue.pop_front();
        if (u == Root || static_cast<int64_t>(dense_.size() + symbolCount_) <= DenseBudget)
            fillDenseRow(u);
        for (const Edge& edge : children_[u]) {
            const State v = edge.target;
            fail_[v] = u == Root ? Root : next(fail_[u], edge.symbol);
            nextOutput_[v] = firstOutput_[fail_[v]];
            firstOutput_[v] = phraseAt_[v] >= 0 ? v : nextOutput_[v];
            queue.push_back(v);
        }
    }
}

void PhraseMatcher::fillDenseRow(State s) {
    denseAt_[s] = static_cast<int64_t>(dense_.size());
    for (Symbol symbol = 0; symbol < symbolCount_; ++symbol) {
        const State c = child(s, symbol);
        dense_.push_back(c != None ? c : s == Root ? Root : next(fail_[s], symbol));
    }
}

PhraseMatcher::State PhraseMatcher::child(State s, Symbol symbol) const {
    const auto& edges = children_[s];
    auto at = std::lower_bound(edges.begin(), edges.end(), symbol,
                               [](const Edge& e, Symbol c) { return e.symbol < c; });
    return at != edges.end() && at->symbol == symbol ? at->target : None;
}

inline PhraseMatcher::State PhraseMatcher::next(State s, Symbol symbol) const {
    for (;;) {
        if (denseAt_[s] >= 0)
            return dense_[static_cast<size_t>(denseAt_[s] + symbol)];
        const State c = child(s, symbol);
        if (c != None)
            return c;
        s = fail_[s];
    }
}

PhraseMatcher::Scan::Scan(const PhraseMatcher& matcher)
    : matcher_(matcher), found_(static_cast<size_t>(matcher.phraseCount_), 0) {}

// A phrase once found has had its whole suffix chain marked, so the walk stops there and the
// marking costs at most one step per phrase over the whole text.
inline void PhraseMatcher::Scan::enter(uint32_t state) {
    state_ = state;
    for (State t = matcher_.firstOutput_[state]; t != None; t = matcher_.nextOutput_[t]) {
        char& found = found_[static_cast<size_t>(matcher_.phraseAt_[t])];
        if (found)
            return;
        found = 1;
    }
}

void PhraseMatcher::Scan::feed(QStringView text) {
    for (QChar unit : text)
        enter(matcher_.next(state_, matcher_.symbolOf(unit.unicode())));
}

void PhraseMatcher::Scan::feedFolded(QByteArrayView bytes) {
    for (char byte : bytes)
        enter(matcher_.next(state_, matcher_.foldedByte_[static_cast<uchar>(byte)]));
}
