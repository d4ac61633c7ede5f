#include "classify/phrase_matcher.h"

#include <algorithm>

namespace {

// Full transition rows cost (states x symbols) entries, so only the shallowest states get one
// while they fit in about 16 MB; deeper states, rarely reached in real text, walk their
// failure links instead. Rule sets of ordinary words fit whole.
constexpr size_t DenseBudget = size_t(1) << 22;
constexpr char16_t Latin1End = 0x100;

char16_t folded(uchar byte) {
    if (byte == '\t')
        return u' ';
    return QChar(static_cast<char16_t>(byte)).toLower().unicode();
}

template <typename Edges, typename Symbol> auto findEdge(Edges& edges, Symbol symbol) {
    return std::lower_bound(edges.begin(), edges.end(), symbol,
                            [](const auto& e, Symbol c) { return e.symbol < c; });
}

// The trie's states in breadth-first order, from the root.
template <typename Trie> std::vector<uint32_t> breadthFirst(const Trie& trie) {
    std::vector<uint32_t> order{0};
    for (size_t i = 0; i < order.size(); ++i)
        for (const auto& edge : trie[order[i]])
            order.push_back(edge.target);
    return order;
}

} // namespace

PhraseMatcher::PhraseMatcher(const QStringList& phrases) : phraseCount_(phrases.size()) {
    assignSymbols(phrases);
    buildTrie(phrases);
    link();
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

void PhraseMatcher::buildTrie(const QStringList& phrases) {
    std::vector<std::vector<Edge>> trie(1);
    std::vector<int> endsHere(1, -1);
    for (qsizetype id = 0; id < phrases.size(); ++id) {
        State s = Root;
        for (QChar unit : phrases[id]) {
            const Symbol symbol = symbolOf(unit.unicode());
            auto at = findEdge(trie[s], symbol);
            if (at == trie[s].end() || at->symbol != symbol) {
                at = trie[s].insert(at, Edge{symbol, static_cast<State>(trie.size())});
                trie.emplace_back();
                endsHere.push_back(-1);
            }
            s = at->target;
        }
        endsHere[s] = static_cast<int>(id);
    }
    const std::vector<State> order = breadthFirst(trie);
    std::vector<State> renumbered(trie.size(), Root);
    for (size_t s = 0; s < order.size(); ++s)
        renumbered[order[s]] = static_cast<State>(s);
    children_.resize(order.size());
    phraseAt_.resize(order.size());
    for (size_t s = 0; s < order.size(); ++s) {
        children_[s] = std::move(trie[order[s]]);
        for (Edge& edge : children_[s])
            edge.target = renumbered[edge.target];
        phraseAt_[s] = endsHere[order[s]];
    }
}

// In state order, which is breadth first: a state's failure target is shallower, so it is
// complete (links and row) before the state is reached.
void PhraseMatcher::link() {
    const size_t states = children_.size();
    denseStates_ = static_cast<State>(std::clamp<size_t>(DenseBudget / symbolCount_, 1, states));
    fail_.assign(states, Root);
    firstOutput_.assign(states, None);
    nextOutput_.assign(states, None);
    dense_.resize(size_t(denseStates_) * symbolCount_);
    for (State u = 0; u < states; ++u) {
        for (const Edge& edge : children_[u]) {
            const State v = edge.target;
            fail_[v] = u == Root ? Root : entry(fail_[u], edge.symbol) & ~Special;
            nextOutput_[v] = firstOutput_[fail_[v]];
            firstOutput_[v] = phraseAt_[v] >= 0 ? v : nextOutput_[v];
        }
        if (u < denseStates_)
            fillDenseRow(u);
    }
}

void PhraseMatcher::fillDenseRow(State s) {
    Entry* row = dense_.data() + size_t(s) * symbolCount_;
    for (Symbol symbol = 0; symbol < symbolCount_; ++symbol) {
        const State c = child(s, symbol);
        row[symbol] = c != None ? entryTo(c) : s == Root ? entryTo(Root) : entry(fail_[s], symbol);
    }
}

PhraseMatcher::State PhraseMatcher::child(State s, Symbol symbol) const {
    const auto& edges = children_[s];
    const auto at = findEdge(edges, symbol);
    return at != edges.end() && at->symbol == symbol ? at->target : None;
}

PhraseMatcher::Entry PhraseMatcher::entryTo(State target) const {
    const bool special = firstOutput_[target] != None || target >= denseStates_;
    return target | (special ? Special : 0);
}

inline PhraseMatcher::Entry PhraseMatcher::entry(State s, Symbol symbol) const {
    while (s >= denseStates_) {
        const State c = child(s, symbol);
        if (c != None)
            return entryTo(c);
        s = fail_[s];
    }
    return dense_[size_t(s) * symbolCount_ + symbol];
}

PhraseMatcher::Scan::Scan(const PhraseMatcher& matcher)
    : matcher_(matcher), found_(static_cast<size_t>(matcher.phraseCount_), 0),
      reported_(matcher.children_.size(), 0) {}

inline void PhraseMatcher::Scan::step(uint32_t symbol) {
    const Entry e = matcher_.entry(state_, symbol);
    state_ = e & ~Special;
    if (e & Special)
        report(state_);
}

// Once a state is reported, so is every state after it on its output chain, so the walk
// stops at the first one already seen and costs at most one step per phrase over the text.
inline void PhraseMatcher::Scan::report(uint32_t state) {
    if (reported_[state])
        return;
    for (State t = matcher_.firstOutput_[state]; t != None && !reported_[t];
         t = matcher_.nextOutput_[t]) {
        reported_[t] = 1;
        found_[static_cast<size_t>(matcher_.phraseAt_[t])] = 1;
    }
    reported_[state] = 1;
}

void PhraseMatcher::Scan::feed(QStringView text) {
    for (QChar unit : text)
        step(matcher_.symbolOf(unit.unicode()));
}

void PhraseMatcher::Scan::feedFolded(QByteArrayView bytes) {
    for (char byte : bytes)
        step(matcher_.foldedByte_[static_cast<uchar>(byte)]);
}
