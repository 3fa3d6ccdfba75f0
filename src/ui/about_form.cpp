// The "about" window.
#include "ui/about_form.h"

#include <QDialogButtonBox>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "settings/settings.h"
#include "ui/ui_common.h"

namespace zz {

TAboutBox::TAboutBox(QWidget* parent) : QDialog(parent) {
  setObjectName("AboutBox");
  setWindowTitle("О программе");
  setFont(WindowFont());
  setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
  const TSettings& settings = TSettings::GetInstance();

  auto* panel = new QFrame(this);
  panel->setObjectName("Panel1");
  panel->setFrameShape(QFrame::StyledPanel);
  panel->setAutoFillBackground(true);
  QPalette pal = panel->palette();
  pal.setColor(QPalette::Window, Qt::white);
  pal.setColor(QPalette::WindowText, Qt::black);
  panel->setPalette(pal);

  ProductName = new QLabel("Тальвир", panel);
  ProductName->setObjectName("ProductName");
  QFont big = WindowFont();
  big.setPointSize(14);
  big.setBold(true);
  ProductName->setFont(big);
  Version = new QLabel(QS("Версия " + settings.FullVersion() + " от " + settings.AppDate()), panel);
  Version->setObjectName("Version");
  Comments = new QLabel(
      "  Осуществляет автоматическую сверку данных Перечня рабочих мест, профессий, занятость на которых дает "
      "право застрахованным лицам на досрочное назначение трудовых пенсий с информацией, содержащейся в "
      "индивидуальных сведениях.",
      panel);
  Comments->setObjectName("Comments");
  Comments->setWordWrap(true);

  auto* panelLayout = new QVBoxLayout(panel);
  panelLayout->addWidget(ProductName);
  panelLayout->addWidget(Version);
  panelLayout->addWidget(Comments, 1);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
  buttons->button(QDialogButtonBox::Ok)->setObjectName("OKButton");
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(panel, 1);
  layout->addWidget(buttons);
  setMinimumWidth(424);
  setFixedSize(QSize(424, heightForWidth(424)).expandedTo(QSize(424, 184)).expandedTo(layout->sizeHint()));
}

}  // namespace zz
