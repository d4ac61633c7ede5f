#pragma once

#include <QByteArrayView>
#include <QHash>
#include <QStringList>
#include <QStringView>

#include <array>
#include <cstdint>
#include <vector>

// Finds which of a fixed set of phrases occur in a text in one pass over the text
// (an Aho-Corasick automaton), so a thousand rules cost about one search per message.
// Comparison is exact, code unit by code unit, as QString::contains compares.
class PhraseMatcher {
public:
    // The phrases must be distinct and not empty; a phrase's id is its index in the list.
    explicit PhraseMatcher(const QStringList& phrases = {});

    qsizetype phraseCount() const { return phraseCount_; }

    // One search over one text, fed in pieces in order; a phrase may run across pieces.
    class Scan {
    public:
        explicit Scan(const PhraseMatcher& matcher);

        // Code units as they stand.
        void feed(QStringView text);
        // Latin-1 bytes read in lower case, a tab read as a space.
        void feedFolded(QByteArrayView bytes);
        // Text read as QString::toLower reads it, tabs and line breaks read as spaces.
        void feedLowered(QStringView text);

        bool found(qsizetype phrase) const { return found_[static_cast<size_t>(phrase)] != 0; }

    private:
        template <typename Unit, typename ToSymbol>
        void run(const Unit* text, qsizetype size, ToSymbol symbolOf);
        template <typename Unit, typename ToSymbol>
        uint32_t walk(uint32_t state, const Unit* from, const Unit* to, ToSymbol symbolOf);
        uint32_t step(uint32_t state, uint32_t symbol);
        void report(uint32_t state);

        const PhraseMatcher& matcher_;
        uint32_t state_ = 0;
        std::vector<char> found_;
        // States whose every phrase on the suffix chain is already found. Text passes the
        // same few states again and again; this small table answers those visits.
        std::vector<char> reported_;
    };

private:
    using State = uint32_t;
    using Symbol = uint32_t;
    // A transition is the target state, its top bit set when the target needs a closer look:
    // a phrase ends there (or at one of its suffixes), or it has no full row.
    using Entry = uint32_t;
    static constexpr State Root = 0;
    static constexpr State None = UINT32_MAX;
    static constexpr Entry Special = 0x80000000u;

    struct Edge {
        Symbol symbol;
        State target;
    };

    void assignSymbols(const QStringList& phrases);
    Symbol symbolOf(char16_t unit) const;
    void buildTrie(const QStringList& phrases);
    void link();
    void fillDenseRow(State s);
    State child(State s, Symbol symbol) const;
    Entry entry(State s, Symbol symbol) const;
    Entry entryTo(State target) const;

    qsizetype phraseCount_ = 0;
    qsizetype longestPhrase_ = 0;
    // Code unit -> symbol, 0 for units in no phrase. Text is nearly all Latin-1, which gets a
    // table; other units are looked up.
    std::array<Symbol, 256> latin1Symbol_{};
    QHash<char16_t, Symbol> wideSymbol_;
    std::array<Symbol, 256> foldedByte_{};    // Latin-1 byte -> symbol of its folded form
    std::array<Symbol, 256> loweredLatin1_{}; // the same with line breaks read as spaces
    Symbol symbolCount_ = 1;

    // States are numbered breadth first, so the shallow ones, where text spends its time,
    // come first and states 0 to denseStates_ - 1 have full transition rows.
    std::vector<std::vector<Edge>> children_; // the trie, edges sorted by symbol
    std::vector<int> phraseAt_;               // the phrase ending at a state, or -1
    std::vector<State> fail_;                 // longest proper suffix that is a trie state
    std::vector<State> firstOutput_; // the nearest state on the suffix chain where a phrase ends
    std::vector<State> nextOutput_;  // the next one after the state itself
    State denseStates_ = 1;
    std::vector<Entry> dense_;
};
