#include "review/message_table.h"
#include "review/message_viewer.h"
#include "review/strip_tags.h"
#include "review/text_pane.h"
#include "store/global.h"
#include "store/text_file.h"
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

// The text of a message written with LF line ends, read as CR LF lines.
QString shown(const QByteArray& message) {
    return messageText(textfile::splitLines(QByteArray(message).replace("\n", "\r\n")));
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
    // message leaves the file missing.
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
        add("lower-case type in the header", file("lowercase_single.eml"),
            "<p>Tags&nbsp;stay</p>\r\n.\r\n");
        add("lower-case type in a part keeps the previous type", file("lowercase_part.eml"),
            Html + "First\r\n" + Html + "Second part\r\n");
        add("quoted-printable line ends", file("quoted_printable.eml"),
            Plain + "A long line that was bro\r\nken here.\r\nTrailing blank\r\nPrice \r\n"
                    "Caf=E9 =3D \r\ndone\r\n");
        add("lines end at CR LF or LF, a lone CR stays",
            "+OK\r\nSubject: x\n\nfirst\r\nsecond\na\rb\r\n.\n",
            "first\r\nsecond\r\na\rb\r\n.\r\n");
        add("missing file", QByteArray(), "Error: Missing file...", "email9.eml");
        add("empty cell", QByteArray(), "Error: Missing file...", "");
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

    // Odd structures and hostile input, from the message's lines.
    void messageText_data() {
        QTest::addColumn<QByteArray>("message");
        QTest::addColumn<QString>("text");
        QByteArray binary = "+OK\n\n";
        for (int b = 0; b < 256; ++b)
            if (b != '\r' && b != '\n' && b != ' ' && b != '\t')
                binary += char(b);
        QTest::newRow("binary bytes, one character each")
            << binary << QString::fromLatin1(binary.mid(5)) + "\r\n";
        QTest::newRow("empty file") << QByteArray() << QString();
        QTest::newRow("header without an empty line")
            << QByteArray("+OK\nSubject: x\nContent-Type: text/plain\n") << QString();
        QTest::newRow("boundary in the subject is no boundary")
            << QByteArray("+OK\nSubject: see boundary=b\n\n--b\nbody\n.\n")
            << "--b\r\nbody\r\n.\r\n";
        QTest::newRow("empty boundary is ignored")
            << QByteArray("+OK\nContent-Type: multipart/mixed; boundary=\n\nbody\n") << "body\r\n";
        QTest::newRow("boundary that never appears") << mixed("body\nmore\n.\n") << QString();
        QTest::newRow("part without headers ends its level")
            << mixed("--b1\n\nbody\n--b1\nContent-Type: text/plain\n\nlost\n.\n") << QString();
        QTest::newRow("a sixth boundary is ignored")
            << QByteArray("+OK\nX-1: boundary=b1\nX-2: boundary=b2\nX-3: boundary=b3\n"
                          "X-4: boundary=b4\nX-5: boundary=b5\nX-6: boundary=b6\n\n"
                          "--b6\nContent-Type: text/plain\n\nsix\n"
                          "--b5\nContent-Type: text/plain\n\nfive\n--b5--\n\n--b4--\n\n--b3--\n\n"
                          "--b2--\n\n--b1--\n\n.\n")
            << Plain + "five\r\n";
        QTest::newRow("part without a type takes the type but not the names")
            << mixed("--b1\nContent-Type: image/png; name=a.png; x=1\n\nAAAA\n"
                     "--b1\nContent-Disposition: attachment; filename=b.png\n\nBBBB\n--b1--\n\n.\n")
            << other("image/png: a.png") + other("image/png: b.png");
        QTest::newRow("named text part shows nothing")
            << mixed("--b1\nContent-Type: text/csv\n\n1,2\n"
                     "--b1\nContent-Type: text/plain; name=n.txt\n\nnote\n--b1--\n\n.\n")
            << QString();
        QTest::newRow("overlong type is cut") << mixed("--b1\nContent-Type: application/" +
                                                       QByteArray(200, 'x') + "\n\n--b1--\n\n.\n")
                                              << other("application/" + QString(115, 'x'));
        QTest::newRow("unclosed style in an html part")
            << mixed("--b1\nContent-Type: text/html\n\nkept<style>p{}\nlost\n--b1--\n\n.\n")
            << Html + "kept";
        QTest::newRow("html part cleans tabs before the delimiter test")
            << QByteArray("+OK\nContent-Type: multipart/mixed; boundary=\"a b\"\n\n--a b\n"
                          "Content-Type: text/html\n\n\tone\n--a\tb\nContent-Type: text/plain\n\n"
                          "two\n--a b--\n\n.\n")
            << Html + "one\r\n" + Plain + "two\r\n";
        QTest::newRow("closing delimiter right before the end mark")
            << mixed("--b1\nContent-Type: text/html\n\n<p>hi</p>\n--b1--\n.\n") << Html + "hi\r\n";
        QTest::newRow("delimiter on the last line")
            << mixed("--b1\nContent-Type: text/plain\n\nx\n--b1") << Plain + "x\r\n";
        QTest::newRow("file ends inside a part")
            << mixed("--b1\nContent-Type: text/plain\n\nfirst\nsecond\nlast")
            << Plain + "first\r\nsecond\r\n";
        // Ten megabytes of hostile HTML show in linear time, cut the same way all through. The
        // last "<style" is never closed and takes the rest of the part with it.
        const QByteArray html = "--b1\nContent-Type: text/html\n\n";
        QTest::newRow("10 MB: unclosed style blocks")
            << mixed(html + QByteArray("<style>x< /style>y<style").repeated(400000) +
                     "\n--b1--\n\n.\n")
            << Html + QString(400000, 'y');
        QTest::newRow("10 MB: tags without >")
            << mixed(html + QByteArray("a<b<c<").repeated(1500000) + "\n--b1--\n\n.\n")
            << Html + QString("abc").repeated(1500000) + "\r\n";
    }
    void messageText() {
        QFETCH(QByteArray, message);
        QTEST(shown(message), "text");
    }

    void stripTags_data() {
        QTest::addColumn<QString>("html");
        QTest::addColumn<QString>("text");
        auto add = [](const char* name, const QString& html, const QString& text) {
            QTest::newRow(name) << html << text;
        };
        add("tags", "<p class=x>one <b>two</b></p>", "one two");
        add("line breaks stay", "<p>one</p>\r\n<p>two</p>\r\n", "one\r\ntwo\r\n");
        add("style block", "a<style type=text/css>p {}</style>b", "ab");
        add("script block", "a<script>if (a<b) x();</script>b", "ab");
        add("blocks of every kind",
            "1<style>a</style>2<STYLE>b</STYLE >3<script>c</script>4<SCRIPT>d</SCRIPT>5", "12345");
        add("mixed case is a plain tag", "a<Style>p {}</Style>b", "ap {}b");
        add("spaced closing tag", "a<script>x< /script>b", "ab");
        add("first closing tag ends the block", "<style>1</style>2</style>3", "23");
        add("unclosed block runs to the end", "a<style>p {} b", "a");
        add("closing tag without >", "a<script>x</script", "a");
        add("cut joins a new opening tag", "<sty<style>a</style>le>b</style>c", "c");
        add("joined opening tag left unclosed", "x<sty<style>a</style>le>y", "x");
        add("< without a later >", "5 < 6 and more", "5 6 and more");
        add("< after the last >, several", "x<y>z<<w<", "xzw");
        add("entities", "&nbsp;&quot;&amp;&lt;&gt;&#39;", " \"&amp;&lt;&gt;&#39;");
        add("entity split by a tag", "a&nb<i>sp;b", "a b");
        add("two non-breaking spaces", "a&nbsp;&nbsp;b", "a b");
        add("pairs of blanks halved once", "a  b   c    d", "a b  c  d");
        add("empty", "", "");
    }
    void stripTags() {
        QFETCH(QString, html);
        QTEST(StripTags(html), "text");
    }

    // One pass; what a replacement writes is not searched again.
    void replaceEach() {
        auto replaced = [](const char* s, const char* before, const char* after) {
            return ::replaceEach(QString(s), QLatin1String(before), QLatin1String(after));
        };
        QCOMPARE(replaced("a-b-c-", "-", "+="), QString("a+=b+=c+="));
        QCOMPARE(replaced("\r\n\r\n\r\n\r\n\r\n\r\n", "\r\n\r\n", "\r\n"), QString("\r\n\r\n\r\n"));
        QCOMPARE(replaced("x\r\n\r\n\r\ny", "\r\n\r\n", "\r\n"), QString("x\r\n\r\ny"));
        QCOMPARE(replaced("==a==", "==", ""), QString("a"));
    }
};

QTEST_GUILESS_MAIN(TestMessageViewer)
#include "test_message_viewer.moc"
