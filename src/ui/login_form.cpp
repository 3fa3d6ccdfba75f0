// The login window.
#include "ui/login_form.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

#include "base/strings.h"
#include "settings/scramble.h"
#include "settings/settings.h"
#include "ui/ui_common.h"

namespace zz {

TLoginForm::TLoginForm(QWidget* parent) : QDialog(parent), FSettings(TSettings::GetInstance()) {
  setObjectName("LoginForm");
  setWindowTitle("Идентификация пользователя");
  setFont(WindowFont());
  setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);

  lLogin = new QLabel("Имя пользователя:", this);
  eLogin = new QLineEdit(this);
  eLogin->setObjectName("eLogin");
  lLogin->setBuddy(eLogin);
  lPassword = new QLabel("Пароль:", this);
  ePassword = new QLineEdit(this);
  ePassword->setObjectName("ePassword");
  ePassword->setEchoMode(QLineEdit::Password);
  lPassword->setBuddy(ePassword);
  bbOK = new QPushButton("Применить", this);
  bbOK->setObjectName("bbOK");
  bbOK->setDefault(true);
  bbCancel = new QPushButton("Отмена", this);
  bbCancel->setObjectName("bbCancel");
  bbCancel->setAutoDefault(false);

  auto* grid = new QGridLayout;
  grid->addWidget(lLogin, 0, 0);
  grid->addWidget(eLogin, 0, 1);
  grid->addWidget(lPassword, 1, 0);
  grid->addWidget(ePassword, 1, 1);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(bbOK);
  buttons->addWidget(bbCancel);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(grid);
  layout->addStretch(1);
  layout->addLayout(buttons);
  setFixedSize(layout->sizeHint().expandedTo(QSize(std::max(280, TitleWidth(this)), 117)));

  connect(bbOK, &QPushButton::clicked, this, [this] { bbOKClick(); });
  connect(bbCancel, &QPushButton::clicked, this, &QDialog::reject);
}

bool TLoginForm::Execute(TLoginTarget target) {
  fTarget = target;
  eLogin->clear();
  ePassword->clear();
  eLogin->setFocus();
  return exec() == QDialog::Accepted;
}

void TLoginForm::bbOKClick() {
  const std::string login = SS(eLogin->text());
  if (login.empty()) {
    ShowError(this, "Имя пользователя не может быть пустым");
    eLogin->setFocus();
    return;
  }
  const std::string password = SS(ePassword->text());
  // Credentials are stored scrambled as windows-1251 bytes; any other character would not come back.
  const std::string foreign = CharsOutsideCp1251(login);
  if (!foreign.empty()) {
    ShowError(this, QS("Имя пользователя содержит недопустимые символы: " + foreign +
                       ". Допустимы латинские и русские буквы, цифры и знаки препинания."));
    eLogin->setFocus();
    return;
  }
  if (!CharsOutsideCp1251(password).empty()) {
    ShowError(this,
              "Пароль содержит недопустимые символы. Допустимы латинские и русские буквы, цифры и знаки "
              "препинания.");
    ePassword->setFocus();
    return;
  }
  if (fTarget == ltServer) {
    FSettings.FULLogin = ScrambleText(login, kLoginKey);
    FSettings.FULPass = ScrambleText(password, kPasswordKey);
  } else {
    FSettings.FCrossUserDB = ScrambleText(login, kLoginKey);
    FSettings.FCrossPasswordDB = ScrambleText(password, kPasswordKey);
  }
  accept();
}

void TLoginForm::setVisible(bool visible) {
  if (visible && !isVisible()) CentreOnDesktop(this);
  QDialog::setVisible(visible);
}

}  // namespace zz
