#include "platform/Presenter.h"

namespace {
Presenter* g_activePresenter = nullptr;
}

Presenter* SetPresenter(Presenter* presenter)
{
    Presenter* previous = g_activePresenter;
    g_activePresenter = presenter;
    return previous;
}

Presenter* GetPresenter() { return g_activePresenter; }
