#include "mime/strip_tags.h"
#include "review/message_table.h"
#include "review/message_viewer.h"
#include "review/text_pane.h"
#include "store/global.h"
#include "support/temp_home.h"

#include <QTest>

namespace {

const QString Plain =
    "========== PLAIN TEXT SECTION ==========================================\r\n";
const QString Html =
    "========== HTML SECTION (TAGS STRIPPED) =================================\r\n";

QString other(const QString& type) {
    return "========== " + type + " ==========================================\r\n";
}

// "+OK", a multipart/mixed header with boundary b1, then the parts as given.
QByteArray mixed(const QByteArray& parts) {
    return "+OK\nContent-Type: multipart/mixed; boundary=b1\n\n" + parts;
}

} // namespace

class TestMessageViewer : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // ShowEmail on the current cell's file (the cell "" names the data folder itself); a null
    // message leaves the file missing. The odd structures and hostile input come last.
    void showEmail_data() {
        QTest::addColumn<QString>("cell");
        QTest::addColumn<QByteArray>("message");
        QTest::addColumn<QString>("text");
        auto add = [](const char* name, const QByteArray& message, const QString& text,
                      const QString& cell = "email3.eml") {
            QTest::newRow(name) << cell << message << text;
        };
        auto file = [](const char* name) { return testData(QString("viewer/") + name); };
        add("single-part plain", file("plain_single.eml"),
            "Hello Bob,\r\nShall we meet at noon?\r\nCaf\u00e9 on the corner, 20=\r\n\r\n"
            "Alice\r\n.\r\n");
        add("single-part html", file("html_single.eml"),
            "\r\nFish &amp; chips &lt;today&gt;\r\nSay \"hi\"  now\r\nBye\r\n.\r\n");
        add("multipart/alternative", file("alternative.eml"),
            Plain + "Thank you for your order.\r\n\tTotal: 10 EUR\r\n" + Html +
                "Thank you for your order.\r\nTotal: 10 EUR\r\n");
        add("nested multipart, attachment with name and filename", file("nested.eml"),
            other("multipart/related") + Html + "Look at this view!\r\n" +
                other("image/png: view.png") + other("application/pdf: route.pdf: route.pdf"));
        add("field names in any letter case", file("lowercase_single.eml"), "\r\nTags stay\r\n");
        add("a part's field name in any letter case", file("lowercase_part.eml"),
            Html + "First\r\n" + Plain + "Second <b>part</b>\r\n");
        add("quoted-printable decoded", file("quoted_printable.eml"),
            Plain + "A long line that was broken here.\r\nTrailing blank\r\nPrice 20Caf\u00e9 = "
                    "done\r\n");
        add("lines end at CR LF or LF, a lone CR stays",
            "+OK\r\nSubject: x\n\nfirst\r\nsecond\na\rb\r\n.\n",
            "first\r\nsecond\r\na\rb\r\n.\r\n");
        add("missing file", QByteArray(), "Error: Missing file...", "email9.eml");
        add("empty cell", QByteArray(), "Error: Missing file...", "");
        add("empty file", "", "");
        QByteArray binary = "+OK\n\n";
        for (int b = 0; b < 256; ++b)
            if (b != '\r' && b != '\n' && b != ' ' && b != '\t')
                binary += char(b);
        add("binary bytes, one character each", binary,
            QString::fromLatin1(binary.mid(5)) + "\r\n");
        add("header without an empty line", "+OK\nSubject: x\nContent-Type: text/plain\n", "");
        add("boundary in the subject is no boundary",
            "+OK\nSubject: see boundary=b\n\n--b\nbody\n.\n", "--b\r\nbody\r\n.\r\n");
        add("empty boundary is ignored", "+OK\nContent-Type: multipart/mixed; boundary=\n\nbody\n",
            "body\r\n");
        // A multipart message that gives no section shows its body as a single-part one.
        add("boundary that never appears", mixed("body\nmore\n.\n"), "body\r\nmore\r\n.\r\n");
        add("delimiters that do not match", mixed("--b2\nContent-Type: text/plain\n\nhi\n--b2--\n"),
            "--b2\r\nContent-Type: text/plain\r\nhi\r\n--b2--\r\n");
        add("digest parts are messages",
            "+OK\nContent-Type: multipart/digest; boundary=d\n\n--d\n\nFrom: a\n\nhi\n",
            other("message/rfc822"));
        add("a sixth boundary is ignored", file("sixth_boundary_ignored.eml"), Plain + "five\r\n");
        add("part without a type adds its names to the type", file("part_without_type.eml"),
            other("image/png: a.png") + other("image/png: a.png: b.png"));
        add("only named text parts", file("named_text_part.eml"),
            "--b1\r\nContent-Type: text/csv\r\n1,2\r\n--b1\r\n"
            "Content-Type: text/plain; name=n.txt\r\nnote\r\n--b1--\r\n.\r\n");
        add("name before the type is replaced by it",
            mixed("--b1\nContent-Disposition: inline; filename=n.txt\nContent-Type: text/plain\n\n"
                  "note\n--b1--\n\n.\n"),
            Plain + "note\r\n");
        add("overlong type is cut",
            mixed("--b1\nContent-Type: application/" + QByteArray(200, 'x') + "\n\n--b1--\n\n.\n"),
            other("application/" + QString(115, 'x')));
        add("html part cleans tabs before the delimiter test",
            file("html_tabs_before_delimiter.eml"), Html + "one\r\n" + Plain + "two\r\n");
        add("closing delimiter right before the end mark",
            mixed("--b1\nContent-Type: text/html\n\n<p>hi</p>\n--b1--\n.\n"), Html + "hi\r\n");
        add("delimiter on the last line", mixed("--b1\nContent-Type: text/plain\n\nx\n--b1"),
            Plain + "x\r\n");
        add("file ends inside a part",
            mixed("--b1\nContent-Type: text/plain\n\nfirst\nsecond\nlast"),
            Plain + "first\r\nsecond\r\n");
        // Ten megabytes of hostile HTML show in linear time, cut the same way all through. The
        // last "<style" is never closed and takes the rest of the part with it.
        const QByteArray html = "--b1\nContent-Type: text/html\n\n";
        add("10 MB: unclosed style blocks",
            mixed(html + QByteArray("<style>x< /style>y<style").repeated(400000) +
                  "\n--b1--\n\n.\n"),
            Html + QString(400000, 'y'));
        add("10 MB: tags without >",
            mixed(html + QByteArray("a<b<c<").repeated(1500000) + "\n--b1--\n\n.\n"),
            Html + QString("abc").repeated(1500000) + "\r\n");
    }
    void showEmail() {
        QFETCH(QString, cell);
        QFETCH(QByteArray, message);
        TempHome home;
        Global global;
        QVERIFY(!global.setUpDataFolder(home.documents()));
        if (!message.isNull())
            home.write("Documents/Spam/" + cell, message);
        MessageTable table;
        table.setCell(2, col::File, cell);
        table.grid().setRow(2);
        table.grid().setCol(col::File);
        TextPane pane;
        pane.setText("previous text");
        ShowEmail(table, pane, global);
        QTEST(pane.text(), "text");
    }

    void stripTags_data() {
        QTest::addColumn<QString>("html");
        QTest::addColumn<QString>("text");
        auto add = [](const char* name, const QString& html, const QString& text) {
            QTest::newRow(name) << html << text;
        };
        add("tags go, line breaks stay", "<p class=x>one <b>two</b></p>\r\n<p>3</p>\r\n",
            "one two\r\n3\r\n");
        add("blocks of every kind, spaced closing tags",
            "1<style type=text/css>a</style>2<STYLE>b< /STYLE >3<script>if (a<b) x();</script>4"
            "<SCRIPT>d</SCRIPT>5",
            "12345");
        add("mixed case is a plain tag", "a<Style>p {}</Style>b", "ap {}b");
        add("first closing tag ends the block", "<style>1</style>2</style>3", "23");
        add("unclosed block runs to the end", "a<style>p {} b", "a");
        add("closing tag without >", "a<script>x</script", "a");
        add("cut joins a new opening tag", "<sty<style>a</style>le>b</style>c", "c");
        add("joined opening tag left unclosed", "x<sty<style>a</style>le>y", "x");
        add("< without a later >, several", "x<y>z<<w<", "xzw");
        add("entities", "a&nbsp;&nbsp;b&quot;&amp;&lt;&gt;&#39;", "a b\"&amp;&lt;&gt;&#39;");
        add("entity split by a tag", "a&nb<i>sp;b", "a b");
        add("pairs of blanks halved once", "a  b   c    d", "a b  c  d");
    }
    void stripTags() {
        QFETCH(QString, html);
        QTEST(StripTags(html), "text");
    }
};

QTEST_GUILESS_MAIN(TestMessageViewer)
#include "test_message_viewer.moc"
