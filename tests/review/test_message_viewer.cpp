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

// A message written with CR LF line ends.
QStringList lines(const QByteArray& message) {
    return textfile::splitLines(QByteArray(message).replace("\n", "\r\n"));
}

} // namespace

class TestMessageViewer : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void bannerWidths();
    void showEmail_data();
    void showEmail();
    void missingFile_data();
    void missingFile();
    void messageText_data();
    void messageText();
    void bytesStayOneCharacterEach();
    void lineEnds();
    void bigMessageEnds_data();
    void bigMessageEnds();
    void stripTags_data();
    void stripTags();
    void replaceEach_data();
    void replaceEach();
};

void TestMessageViewer::bannerWidths() {
    QCOMPARE(Plain.size(), 72 + 2);
    QCOMPARE(Html.size(), 73 + 2);
}

void TestMessageViewer::showEmail_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("shown");

    QTest::newRow("single-part plain") << "plain_single.eml"
                                       << QString("Hello Bob,\r\nShall we meet at noon?\r\n"
                                                  "Caf\u00e9 on the corner, 20=\r\n\r\n"
                                                  "Alice\r\n.\r\n");
    QTest::newRow("single-part html")
        << "html_single.eml"
        << "\r\nFish &amp; chips &lt;today&gt;\r\nSay \"hi\"  now\r\nBye\r\n.\r\n";
    QTest::newRow("multipart/alternative")
        << "alternative.eml"
        << Plain + "Thank you for your order.\r\n\tTotal: 10 EUR\r\n" + Html +
               "Thank you for your order.\r\nTotal: 10 EUR\r\n";
    QTest::newRow("nested multipart with attachments")
        << "nested.eml"
        << other("multipart/related") + Html + "Look at this view!\r\n" +
               other("image/png: view.png") + other("application/pdf: route.pdf: route.pdf");
    QTest::newRow("lower-case type in the header") << "lowercase_single.eml"
                                                   << "<p>Tags&nbsp;stay</p>\r\n.\r\n";
    QTest::newRow("lower-case type in a part keeps the previous type")
        << "lowercase_part.eml" << Html + "First\r\n" + Html + "Second part\r\n";
    QTest::newRow("quoted-printable line ends")
        << "quoted_printable.eml"
        << Plain + "A long line that was bro\r\nken here.\r\nTrailing blank\r\nPrice \r\n"
                   "Caf=E9 =3D \r\ndone\r\n";
}

void TestMessageViewer::showEmail() {
    QFETCH(QString, file);
    QFETCH(QString, shown);
    const QByteArray message = testData("viewer/" + file);
    QVERIFY(message.startsWith("+OK "));
    QVERIFY(message.endsWith("\r\n.\r\n"));

    TempHome home;
    Global global;
    QVERIFY(!global.setUpDataFolder(home.documents()));
    home.write("Documents/Spam/email3.eml", message);
    MessageTable table;
    table.setCell(2, col::File, "email3.eml");
    table.grid().setRow(2);
    table.grid().setCol(col::File);
    TextPane pane;
    pane.setText("previous text");

    ShowEmail(table, pane, global);
    QCOMPARE(pane.text(), shown);
}

void TestMessageViewer::missingFile_data() {
    QTest::addColumn<QString>("file");
    QTest::newRow("no such file") << "email9.eml";
    QTest::newRow("empty cell names the folder") << "";
}

void TestMessageViewer::missingFile() {
    QFETCH(QString, file);
    TempHome home;
    Global global;
    QVERIFY(!global.setUpDataFolder(home.documents()));
    MessageTable table;
    table.setCell(1, col::File, file);
    table.grid().setRow(1);
    table.grid().setCol(col::File);
    TextPane pane;
    pane.setText("previous text");

    ShowEmail(table, pane, global);
    QCOMPARE(pane.text(), QString("Error: Missing file..."));
}

void TestMessageViewer::messageText_data() {
    QTest::addColumn<QByteArray>("message");
    QTest::addColumn<QString>("shown");

    QTest::newRow("empty file") << QByteArray() << QString();
    QTest::newRow("header without an empty line")
        << QByteArray("+OK\nSubject: x\nContent-Type: text/plain\n") << QString();
    QTest::newRow("boundary in the subject is no boundary")
        << QByteArray("+OK\nSubject: see boundary=b\n\n--b\nbody\n.\n") << "--b\r\nbody\r\n.\r\n";
    QTest::newRow("empty boundary is ignored")
        << QByteArray("+OK\nContent-Type: multipart/mixed; boundary=\n\nbody\n") << "body\r\n";
    QTest::newRow("boundary that never appears")
        << QByteArray("+OK\nContent-Type: multipart/mixed; boundary=b1\n\nbody\nmore\n.\n")
        << QString();
    QTest::newRow("part without headers ends its level")
        << QByteArray("+OK\nContent-Type: multipart/mixed; boundary=b1\n\n--b1\n\nbody\n--b1\n"
                      "Content-Type: text/plain\n\nlost\n.\n")
        << QString();
    QTest::newRow("a sixth boundary is ignored")
        << QByteArray("+OK\nX-1: boundary=b1\nX-2: boundary=b2\nX-3: boundary=b3\n"
                      "X-4: boundary=b4\nX-5: boundary=b5\nX-6: boundary=b6\n\n"
                      "--b6\nContent-Type: text/plain\n\nsix\n"
                      "--b5\nContent-Type: text/plain\n\nfive\n--b5--\n\n--b4--\n\n--b3--\n\n"
                      "--b2--\n\n--b1--\n\n.\n")
        << Plain + "five\r\n";
    QTest::newRow("part without a type takes the type but not the names")
        << QByteArray("+OK\nContent-Type: multipart/mixed; boundary=b1\n\n"
                      "--b1\nContent-Type: image/png; name=a.png; x=1\n\nAAAA\n"
                      "--b1\nContent-Disposition: attachment; filename=b.png\n\nBBBB\n"
                      "--b1--\n\n.\n")
        << other("image/png: a.png") + other("image/png: b.png");
    QTest::newRow("named text part shows nothing")
        << QByteArray("+OK\nContent-Type: multipart/mixed; boundary=b1\n\n"
                      "--b1\nContent-Type: text/csv\n\n1,2\n"
                      "--b1\nContent-Type: text/plain; name=n.txt\n\nnote\n--b1--\n\n.\n")
        << QString();
    QTest::newRow("overlong type is cut")
        << QByteArray("+OK\nContent-Type: multipart/mixed; boundary=b1\n\n--b1\n"
                      "Content-Type: application/" +
                      QByteArray(200, 'x') + "\n\n--b1--\n\n.\n")
        << other("application/" + QString(115, 'x'));
    QTest::newRow("unclosed style in an html part")
        << QByteArray("+OK\nContent-Type: multipart/mixed; boundary=b1\n\n--b1\n"
                      "Content-Type: text/html\n\nkept<style>p{}\nlost\n--b1--\n\n.\n")
        << Html + "kept";
    QTest::newRow("html part cleans tabs before the delimiter test")
        << QByteArray("+OK\nContent-Type: multipart/mixed; boundary=\"a b\"\n\n--a b\n"
                      "Content-Type: text/html\n\n\tone\n--a\tb\nContent-Type: text/plain\n\n"
                      "two\n--a b--\n\n.\n")
        << Html + "one\r\n" + Plain + "two\r\n";
    QTest::newRow("closing delimiter right before the end mark")
        << QByteArray("+OK\nContent-Type: multipart/alternative; boundary=b1\n\n--b1\n"
                      "Content-Type: text/html\n\n<p>hi</p>\n--b1--\n.\n")
        << Html + "hi\r\n";
    QTest::newRow("delimiter on the last line")
        << QByteArray("+OK\nContent-Type: multipart/mixed; boundary=b1\n\n--b1\n"
                      "Content-Type: text/plain\n\nx\n--b1")
        << Plain + "x\r\n";
    QTest::newRow("file ends inside a part")
        << QByteArray("+OK\nContent-Type: multipart/mixed; boundary=b1\n\n--b1\n"
                      "Content-Type: text/plain\n\nfirst\nsecond\nlast")
        << Plain + "first\r\nsecond\r\n";
}

void TestMessageViewer::messageText() {
    QFETCH(QByteArray, message);
    QFETCH(QString, shown);
    QCOMPARE(::messageText(lines(message)), shown);
}

void TestMessageViewer::bytesStayOneCharacterEach() {
    QByteArray body;
    for (int b = 0; b < 256; ++b)
        if (b != '\r' && b != '\n' && b != ' ' && b != '\t')
            body += char(b);
    const QString shown = ::messageText(textfile::splitLines("+OK\r\n\r\n" + body + "\r\n"));
    QCOMPARE(shown, QString::fromLatin1(body) + "\r\n");
}

// Lines end at CR LF or a lone LF; a lone CR stays inside its line.
void TestMessageViewer::lineEnds() {
    TempHome home;
    Global global;
    QVERIFY(!global.setUpDataFolder(home.documents()));
    home.write("Documents/Spam/email1.eml", "+OK\r\nSubject: x\n\nfirst\r\nsecond\na\rb\r\n.\n");
    MessageTable table;
    table.setCell(1, col::File, "email1.eml");
    table.grid().setCol(col::File);
    TextPane pane;
    ShowEmail(table, pane, global);
    QCOMPARE(pane.text(), QString("first\r\nsecond\r\na\rb\r\n.\r\n"));
}

void TestMessageViewer::bigMessageEnds_data() {
    QTest::addColumn<QByteArray>("part");
    QTest::addColumn<int>("repeats");
    QTest::addColumn<QString>("shown");

    // The last "<style" is never closed and takes the rest of the part with it.
    QTest::newRow("unclosed style blocks")
        << QByteArray("<style>x< /style>y<style") << 400000 << Html + QString(400000, 'y');
    QTest::newRow("tags without >")
        << QByteArray("a<b<c<") << 1500000 << Html + QString("abc").repeated(1500000) + "\r\n";
    QTest::newRow("blank lines and soft line ends")
        << QByteArray("\n\n\n=\n20=\n") << 1000000 << Html + QString("\r\n").repeated(1250000);
}

// Ten megabytes of hostile HTML show in linear time, cut the same way all through.
void TestMessageViewer::bigMessageEnds() {
    QFETCH(QByteArray, part);
    QFETCH(int, repeats);
    QFETCH(QString, shown);
    const QByteArray message = "+OK\nContent-Type: multipart/mixed; boundary=b1\n\n--b1\n"
                               "Content-Type: text/html\n\n" +
                               part.repeated(repeats) + "\n--b1--\n\n.\n";
    QVERIFY(message.size() > 9'000'000);
    QCOMPARE(::messageText(lines(message)), shown);
}

void TestMessageViewer::stripTags_data() {
    QTest::addColumn<QString>("html");
    QTest::addColumn<QString>("text");

    QTest::newRow("plain text") << "no markup here"
                                << "no markup here";
    QTest::newRow("tags") << "<p class=x>one <b>two</b></p>"
                          << "one two";
    QTest::newRow("line breaks stay") << "<p>one</p>\r\n<p>two</p>\r\n"
                                      << "one\r\ntwo\r\n";
    QTest::newRow("style block") << "a<style type=text/css>p {}</style>b"
                                 << "ab";
    QTest::newRow("STYLE block") << "a<STYLE>p {}</STYLE >b"
                                 << "ab";
    QTest::newRow("script block") << "a<script>if (a<b) x();</script>b"
                                  << "ab";
    QTest::newRow("SCRIPT block") << "a<SCRIPT>x</SCRIPT>b"
                                  << "ab";
    QTest::newRow("mixed case is a plain tag") << "a<Style>p {}</Style>b"
                                               << "ap {}b";
    QTest::newRow("spaced closing tag") << "a<script>x< /script>b"
                                        << "ab";
    QTest::newRow("first closing tag ends the block") << "<style>1</style>2</style>3"
                                                      << "23";
    QTest::newRow("unclosed block runs to the end") << "a<style>p {} b"
                                                    << "a";
    QTest::newRow("closing tag without >") << "a<script>x</script"
                                           << "a";
    QTest::newRow("cut joins a new opening tag") << "<sty<style>a</style>le>b</style>c"
                                                 << "c";
    QTest::newRow("joined opening tag left unclosed") << "x<sty<style>a</style>le>y"
                                                      << "x";
    QTest::newRow("blocks of every kind")
        << "1<style>a</style>2<STYLE>b</STYLE>3<script>c</script>4<SCRIPT>d</SCRIPT>5"
        << "12345";
    QTest::newRow("< without a later >") << "5 < 6 and more"
                                         << "5 6 and more";
    QTest::newRow("< after the last >") << "x<y>z<w"
                                        << "xzw";
    QTest::newRow("many < without >") << "a<<b<"
                                      << "ab";
    QTest::newRow("entities") << "&nbsp;&quot;&amp;&lt;&gt;&#39;"
                              << " \"&amp;&lt;&gt;&#39;";
    QTest::newRow("entity split by a tag") << "a&nb<i>sp;b"
                                           << "a b";
    QTest::newRow("two non-breaking spaces") << "a&nbsp;&nbsp;b"
                                             << "a b";
    QTest::newRow("pairs of blanks halved once") << "a  b   c    d"
                                                 << "a b  c  d";
    QTest::newRow("empty") << ""
                           << "";
}

void TestMessageViewer::stripTags() {
    QFETCH(QString, html);
    QFETCH(QString, text);
    QCOMPARE(StripTags(html), text);
}

void TestMessageViewer::replaceEach_data() {
    QTest::addColumn<QString>("s");
    QTest::addColumn<QString>("before");
    QTest::addColumn<QString>("after");
    QTest::addColumn<QString>("result");

    QTest::newRow("no match") << "abc"
                              << "x"
                              << "y"
                              << "abc";
    QTest::newRow("every match") << "a-b-c-"
                                 << "-"
                                 << "+="
                                 << "a+=b+=c+=";
    QTest::newRow("output not rescanned") << "\r\n\r\n\r\n\r\n\r\n\r\n"
                                          << "\r\n\r\n"
                                          << "\r\n"
                                          << "\r\n\r\n\r\n";
    QTest::newRow("odd run") << "x\r\n\r\n\r\ny"
                             << "\r\n\r\n"
                             << "\r\n"
                             << "x\r\n\r\ny";
    QTest::newRow("match at both ends") << "==a=="
                                        << "=="
                                        << ""
                                        << "a";
}

void TestMessageViewer::replaceEach() {
    QFETCH(QString, s);
    QFETCH(QString, before);
    QFETCH(QString, after);
    QFETCH(QString, result);
    const QByteArray from = before.toLatin1();
    const QByteArray to = after.toLatin1();
    QCOMPARE(::replaceEach(s, QLatin1String(from), QLatin1String(to)), result);
}

QTEST_GUILESS_MAIN(TestMessageViewer)
#include "test_message_viewer.moc"
