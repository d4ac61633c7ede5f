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
    for (const QString& phrase : phrases)
        longestPhrase_ = std::max(longestPhrase_, phrase.size());
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
    for (int byte = 0; byte < 256; ++byte) {
        const auto unit = static_cast<uchar>(byte);
        foldedByte_[unit] = symbolOf(folded(unit));
        loweredLatin1_[unit] = unit == '\r' || unit == '\n' ? symbolOf(u' ') : foldedByte_[unit];
    }
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

inline uint32_t PhraseMatcher::Scan::step(uint32_t state, uint32_t symbol) {
    const Entry e = matcher_.entry(state, symbol);
    state = e & ~Special;
    if (e & Special)
        report(state);
    return state;
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

template <typename Unit, typename ToSymbol>
uint32_t PhraseMatcher::Scan::walk(uint32_t state, const Unit* from, const Unit* to,
                                   ToSymbol symbolOf) {
    for (; from != to; ++from)
        state = step(state, symbolOf(*from));
    return state;
}

// Each step waits for the transition the step before found, and a long rule table's
// transitions hardly fit in the processor's caches, so one walk spends its time waiting on
// memory. A long text is therefore walked as eight stretches at once, whose steps do not wait
// for each other. Each stretch after the first starts from the root a phrase's length early,
// so a phrase that runs into it from the stretch before is found, and the last ends in the
// state one walk would have reached, as its last phrase-length of text decides that state.
// The states to report are gathered and reported in batches, so no branch that the text
// decides stands between the steps.
template <typename Unit, typename ToSymbol>
void PhraseMatcher::Scan::run(const Unit* text, qsizetype size, ToSymbol symbolOf) {
    constexpr int Stretches = 8;
    const qsizetype lead = matcher_.longestPhrase_;
    const qsizetype length = size / Stretches;
    if (length < 4 * lead + 256) {
        state_ = walk(state_, text, text + size, symbolOf);
        return;
    }
    std::array<const Unit*, Stretches> at{};
    std::array<State, Stretches> state{};
    for (int i = 0; i < Stretches; ++i) {
        at[i] = text + i * length - (i == 0 ? 0 : lead);
        state[i] = i == 0 ? state_ : Root;
    }
    const Entry* const dense = matcher_.dense_.data();
    const Symbol width = matcher_.symbolCount_;
    const State denseStates = matcher_.denseStates_;
    constexpr size_t Batch = 256;
    std::array<State, Batch + Stretches> pending{};
    size_t waiting = 0;
    // The first stretch is the shortest, by the lead the others read first.
    for (qsizetype n = 0; n < length; ++n) {
        for (int i = 0; i < Stretches; ++i) {
            const Symbol symbol = symbolOf(*at[i]++);
            const State s = state[i];
            const Entry e =
                s < denseStates ? dense[size_t(s) * width + symbol] : matcher_.entry(s, symbol);
            state[i] = e & ~Special;
            pending[waiting] = state[i];
            waiting += (e & Special) != 0 ? 1 : 0;
        }
        if (waiting >= Batch) {
            for (size_t k = 0; k < waiting; ++k)
                report(pending[k]);
            waiting = 0;
        }
    }
    for (size_t k = 0; k < waiting; ++k)
        report(pending[k]);
    for (int i = 1; i < Stretches; ++i)
        state[i] = walk(state[i], at[i], i == Stretches - 1 ? text + size : text + (i + 1) * length,
                        symbolOf);
    state_ = state[Stretches - 1];
}

void PhraseMatcher::Scan::feed(QStringView text) {
    run(text.utf16(), text.size(), [this](char16_t unit) { return matcher_.symbolOf(unit); });
}

void PhraseMatcher::Scan::feedLowered(QStringView text) {
    // Unit by unit, each read in lower case by itself, which is what QString::toLower does
    // except for the letters outside the basic plane and the one letter whose lower case is
    // two letters; a text holding any of those is read in lower case whole.
    const auto unitByUnit = [](char16_t unit) {
        return !QChar::isSurrogate(unit) && unit != u'\u0130';
    };
    const auto lowered = [this](char16_t unit) {
        return unit < Latin1End ? matcher_.loweredLatin1_[unit]
                                : matcher_.symbolOf(static_cast<char16_t>(QChar::toLower(unit)));
    };
    if (std::all_of(text.utf16(), text.utf16() + text.size(), unitByUnit)) {
        run(text.utf16(), text.size(), lowered);
        return;
    }
    const QString whole = text.toString().toLower();
    run(whole.utf16(), whole.size(), lowered);
}

void PhraseMatcher::Scan::feedFolded(QByteArrayView bytes) {
    run(reinterpret_cast<const uchar*>(bytes.data()), bytes.size(),
        [this](uchar byte) { return matcher_.foldedByte_[byte]; });
}
