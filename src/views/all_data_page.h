#pragma once

#include "pages.h"

namespace qa {

class PrintDialogService;

// The stored results of the current user, one kind at a time, newest first.
class AllDataPage : public FormPage {
    Q_OBJECT
public:
    AllDataPage(UserStore& users, Prompter& prompter, FileService& files, PrintDialogService* print,
                FrameCommandFn command, QWidget* parent = nullptr);

    void Activate();
    void LoadList();
    views::CListCtrlExt* List() const { return list_; }
    int ItemKind() const { return itemKind_; }

private:
    void BuildColumns();

    UserStore& users_;
    Prompter& prompter_;
    FileService& files_;
    PrintDialogService* print_;
    views::CListCtrlExt* list_;
    int itemKind_ = 0;
};

} // namespace qa
