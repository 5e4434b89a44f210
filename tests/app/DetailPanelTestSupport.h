#pragma once

#include "tests/app/WindowTestSupport.h"

#include "platform/core/UndoManager.h"
#include "platform/ui/Window.h"

// A document window on the given cards with its detail panel shown.
class DetailPanelWindowTest : public window_test::WindowTest {
protected:
    window_test::TestDocument *document = nullptr;
    tessarin::ViewController *view = nullptr;
    ContactInfoController *panel = nullptr;
    ScriptedDialogPresenter dialogs;

    void openWithPanel(const QString &cards, QSize size) {
        document = open(cards);
        view = content(document);
        window()->resize(size);
        document->controller->splitButtons()->press(1);
        panel = view->contactInfoController();
        QCoreApplication::processEvents();
    }
    UndoManager *undoManager() const { return document->undoManager(); }
    Window *window() const { return document->controller->window(); }
    // The panel's nth row of the field.
    int rowOf(const QString &type, int nth = 0) const {
        for (int row = 0; row < panel->table().size(); ++row)
            if (panel->table().at(row).type == type && nth-- == 0)
                return row;
        return -1;
    }
};
