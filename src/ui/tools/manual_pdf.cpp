// Typesets the user manual: an HTML file into a PDF, at build time.
// Usage: zazoru_manual_pdf <manual.html> <output.pdf>
#include <QFile>
#include <QGuiApplication>
#include <QMarginsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <QTextDocument>
#include <cstdio>

int main(int argc, char** argv) {
  QGuiApplication app(argc, argv);
  if (argc != 3) {
    std::fprintf(stderr, "usage: zazoru_manual_pdf <manual.html> <output.pdf>\n");
    return 2;
  }
  const QString source = QString::fromLocal8Bit(argv[1]);
  const QString target = QString::fromLocal8Bit(argv[2]);
  QFile in(source);
  if (!in.open(QIODevice::ReadOnly)) {
    std::fprintf(stderr, "zazoru_manual_pdf: cannot read %s\n", argv[1]);
    return 1;
  }
  const QString html = QString::fromUtf8(in.readAll());

  QPdfWriter writer(target);
  writer.setTitle("Тальвир - Руководство пользователя");
  writer.setCreator("Тальвир");
  writer.setResolution(300);
  writer.setPageLayout(
      QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(20, 18, 15, 18), QPageLayout::Millimeter));

  QTextDocument document;
  QFont font;
  font.setFamilies({"DejaVu Serif", "Liberation Serif", "serif"});
  font.setPointSizeF(10.5);
  document.setDefaultFont(font);
  document.setHtml(html);
  document.print(&writer);
  if (!QFile::exists(target)) {
    std::fprintf(stderr, "zazoru_manual_pdf: %s was not written\n", argv[2]);
    return 1;
  }
  return 0;
}
