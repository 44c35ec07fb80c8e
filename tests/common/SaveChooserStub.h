#pragma once

#include "widgets/SaveFile.h"

#include <QString>
#include <utility>

class QWidget;

namespace vorin::testing {

// Answers every save question with `answer` for its lifetime, without a
// dialog, and remembers what it was asked.
class SaveChooserStub
{
public:
    explicit SaveChooserStub(QString answer)
        : m_previous(installSaveFileChooser(
              [this, answer](QWidget *parent, const SaveFileKind &kind, const QString &name) {
                  ++asked;
                  askedParent = parent;
                  askedTitle = kind.title;
                  suggestedName = name;
                  return answer;
              }))
    {}
    ~SaveChooserStub() { installSaveFileChooser(std::move(m_previous)); }
    SaveChooserStub(const SaveChooserStub &) = delete;
    SaveChooserStub &operator=(const SaveChooserStub &) = delete;

    int asked = 0;
    QWidget *askedParent = nullptr;
    QString askedTitle;
    QString suggestedName;

private:
    SaveFileChooser m_previous;
};

} // namespace vorin::testing
