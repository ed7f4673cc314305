#include "inputbox/QtInputBox.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <algorithm>

#include "platform/QtDialogs.h"
#include "platform/QtText.h"
#include "session/Engine.h"

namespace velmok::inputbox {

using platform::FromSjis;
using platform::ToSjis;

Tfrm_InputBox::Tfrm_InputBox(QWidget* owner, session::Engine& engine, platform::Dialogs* dialogs)
    : QDialog(owner), engine_(engine), dialogs_(dialogs) {
    setObjectName(QStringLiteral("Tfrm_InputBox"));
    setWindowFlags(windowFlags() | Qt::WindowStaysOnTopHint);
    setFixedSize(240, 81);
    Lbl_InputBox1 = new QLabel(this);
    Lbl_InputBox1->setObjectName(QStringLiteral("Lbl_InputBox1"));
    Lbl_InputBox1->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    Lbl_InputBox1->setGeometry(4, 12, 73, 21);
    Cmb_InputBox = new QComboBox(this);
    Cmb_InputBox->setObjectName(QStringLiteral("Cmb_InputBox"));
    Cmb_InputBox->setEditable(true);
    Cmb_InputBox->setInsertPolicy(QComboBox::NoInsert);
    Cmb_InputBox->setGeometry(80, 12, 153, 21);
    Edit_InputBox1 = new QLineEdit(this);
    Edit_InputBox1->setObjectName(QStringLiteral("Edit_InputBox1"));
    Edit_InputBox1->setGeometry(80, 12, 153, 21);
    Lbl_InputBox2 = new QLabel(this);
    Lbl_InputBox2->setObjectName(QStringLiteral("Lbl_InputBox2"));
    Lbl_InputBox2->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    Lbl_InputBox2->setGeometry(4, 40, 73, 21);
    Edit_InputBox2 = new QLineEdit(this);
    Edit_InputBox2->setObjectName(QStringLiteral("Edit_InputBox2"));
    Edit_InputBox2->setGeometry(80, 40, 153, 21);
    BitBtn_OK = new QPushButton(QStringLiteral("OK"), this);
    BitBtn_OK->setObjectName(QStringLiteral("BitBtn_OK"));
    BitBtn_OK->setDefault(true);
    BitBtn_OK->setGeometry(64, 44, 80, 27);
    BitBtn_Cancel = new QPushButton(QStringLiteral("キャンセル"), this);
    BitBtn_Cancel->setObjectName(QStringLiteral("BitBtn_Cancel"));
    BitBtn_Cancel->setGeometry(152, 44, 80, 27);
    connect(BitBtn_OK, &QPushButton::clicked, this, &Tfrm_InputBox::BitBtn_OKClick);
    connect(BitBtn_Cancel, &QPushButton::clicked, this, &Tfrm_InputBox::BitBtn_CancelClick);
    connect(Cmb_InputBox, &QComboBox::currentTextChanged, this, &Tfrm_InputBox::Cmb_InputBoxChange);
    Cmb_InputBox->hide();
    Lbl_InputBox2->hide();
    Edit_InputBox2->hide();
}

void Tfrm_InputBox::Setup(const session::InputBoxRequest& r) {
    setWindowTitle(FromSjis(r.Caption));
    state.Kind = r.Kind;
    state.Slot = r.Slot;
    state.EmptyMessage = r.EmptyMessage;
    state.CallerOwned = r.CallerOwned;
    state.AuxText = r.AuxText;
    modeless_ = !r.Modal;
    setFixedSize(240, r.Height);
    if (r.ButtonTop >= 0) {
        BitBtn_OK->move(BitBtn_OK->x(), r.ButtonTop);
        BitBtn_Cancel->move(BitBtn_Cancel->x(), r.ButtonTop);
    } else if (r.Height > 81) {
        BitBtn_OK->move(BitBtn_OK->x(), 72);
        BitBtn_Cancel->move(BitBtn_Cancel->x(), 72);
    }
    Lbl_InputBox1->setText(FromSjis(r.Label1));
    Lbl_InputBox2->setText(FromSjis(r.Label2));
    Cmb_InputBox->setVisible(r.ComboVisible);
    // A box brought forward by a repeated prompt is set up again.
    Cmb_InputBox->clear();
    for (const std::string& item : r.ComboItems) Cmb_InputBox->addItem(FromSjis(item));
    Cmb_InputBox->setCurrentIndex(-1);
    Cmb_InputBox->setEditText(QString());
    Edit_InputBox1->setVisible(r.Edit1Visible && !r.ComboVisible);
    Edit_InputBox1->setText(FromSjis(r.Edit1Text));
    Edit_InputBox1->setEnabled(r.Edit1Enabled);
    if (r.Edit1ImeOff) Edit_InputBox1->setAttribute(Qt::WA_InputMethodEnabled, false);
    Lbl_InputBox2->setVisible(r.Label2Visible);
    Edit_InputBox2->setVisible(r.Edit2Visible);
    if (!r.CallerOwned) setAttribute(Qt::WA_DeleteOnClose);
}

std::string Tfrm_InputBox::FirstText() const {
    InputBoxFields f;
    f.comboText =
        Cmb_InputBox->isVisible() || !Cmb_InputBox->isHidden() ? ToSjis(Cmb_InputBox->currentText()) : "";
    f.edit1 = ToSjis(Edit_InputBox1->text());
    return f.First();
}

std::string Tfrm_InputBox::KeyText() const { return ToSjis(Edit_InputBox2->text()); }

std::vector<char32_t> Tfrm_InputBox::Unsendable() const {
    std::vector<char32_t> refused;
    for (const QString& text : {Cmb_InputBox->isHidden() ? QString() : Cmb_InputBox->currentText(),
                                Edit_InputBox1->isHidden() ? QString() : Edit_InputBox1->text(),
                                Edit_InputBox2->isHidden() ? QString() : Edit_InputBox2->text()}) {
        for (char32_t c : platform::ReadTyped(text, engine_.Encoding(state.Slot)).Refused) {
            if (std::find(refused.begin(), refused.end(), c) == refused.end()) refused.push_back(c);
        }
    }
    return refused;
}

void Tfrm_InputBox::BitBtn_OKClick() {
    // What the wire cannot carry would arrive without those characters: the
    // box stays open and says which they are.
    if (const std::vector<char32_t> refused = Unsendable(); !refused.empty()) {
        const QString text = FromSjis(session::RefusedText(refused));
        if (dialogs_) guard_.Run([&] { dialogs_->ShowErrorMessage(this, text); });
        return;
    }
    InputBoxFields f;
    if (!Cmb_InputBox->isHidden()) {
        f.comboText = ToSjis(Cmb_InputBox->currentText());
        f.comboIndex = Cmb_InputBox->findText(Cmb_InputBox->currentText(), Qt::MatchExactly);
    }
    f.edit1 = ToSjis(Edit_InputBox1->text());
    f.key = ToSjis(Edit_InputBox2->text());
    const int error = InputBoxOk(engine_, state, f);
    if (error != 0) {
        // The refused close is this OK itself, which does not close here;
        // a later Cancel or close box must still work.
        InputBoxMayClose(state);
        if (dialogs_) guard_.Run([&] { dialogs_->ShowError(this, error); });
        return;
    }
    accept();
}

void Tfrm_InputBox::BitBtn_CancelClick() { reject(); }

void Tfrm_InputBox::CloseUnanswered() {
    state.RefuseNextClose = false;
    if (!guard_.Hold()) reject();
}

// Neither may end the box while its error box is up: this frame's OK is
// still on the stack below that box's loop.
void Tfrm_InputBox::done(int result) {
    if (guard_.Hold()) return;
    if (result == QDialog::Accepted || InputBoxMayClose(state)) QDialog::done(result);
}

void Tfrm_InputBox::closeEvent(QCloseEvent* event) {
    if (guard_.Hold() || !InputBoxMayClose(state)) {
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

void Tfrm_InputBox::Cmb_InputBoxChange() {
    if (state.Kind != 1 || Edit_InputBox2->isHidden()) return;
    // The text must be an entry exactly: the combo box completes a typed
    // prefix to an entry, and the typing goes on from there.
    const int index =
        Cmb_InputBox->findText(Cmb_InputBox->currentText(), Qt::MatchExactly | Qt::MatchCaseSensitive);
    std::string key;
    if (index >= 0 && AutoJoinKeyAt(engine_.Session(state.Slot).AutoJoin, index, key)) {
        filledKey_ = FromSjis(key);
        Edit_InputBox2->setText(filledKey_);
        return;
    }
    // A key filled for an entry goes when the text stops naming it; one the
    // user typed stays.
    if (!filledKey_.isEmpty() && Edit_InputBox2->text() == filledKey_) Edit_InputBox2->clear();
    filledKey_.clear();
}

void RunInputBox(QWidget* owner, session::Engine& engine, platform::Dialogs* dialogs,
                 const session::InputBoxRequest& request) {
    auto* box = new Tfrm_InputBox(owner, engine, dialogs);
    box->Setup(request);
    box->exec();
    if (request.CallerOwned) delete box;
}

}  // namespace velmok::inputbox
