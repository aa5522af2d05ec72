#include "mainwindowlayout.h"

#include <algorithm>

void CMainWindowLayout::Capture(const QWidget *window, QWidget *list, QWidget *pageArea,
                                QWidget *logo, QWidget *statusLine)
{
    m_defaultSize = window->size();
    m_rcList = list->geometry();
    m_rcPage = pageArea->geometry();
    m_rcLogo = logo ? logo->geometry() : QRect();
    m_places.clear();
    for (QWidget *child : window->findChildren<QWidget *>(Qt::FindDirectChildrenOnly)) {
        if (child->isWindow())
            continue;
        SPlace place;
        place.m_pWidget = child;
        place.m_rcDefault = child->geometry();
        if (child == list)
            place.m_role = ERole::List;
        else if (child == statusLine)
            place.m_role = ERole::Bottom;
        else if (place.m_rcDefault.left() >= m_rcPage.left())
            place.m_role = ERole::Page;
        else if (place.m_rcDefault.top() > m_rcList.bottom())
            place.m_role = ERole::Below;
        m_places.append(place);
    }
}

// How far the column moves up when the logo gives up its place: to where the
// logo's top was.
int CMainWindowLayout::LogoShift() const
{
    if (m_rcLogo.isNull())
        return 0;
    int firstBelowLogo = m_rcList.top();
    for (const SPlace &place : m_places) {
        if (place.m_role == ERole::Fixed && place.m_rcDefault.top() > m_rcLogo.bottom())
            firstBelowLogo = std::min(firstBelowLogo, place.m_rcDefault.top());
    }
    return firstBelowLogo - m_rcLogo.top();
}

bool CMainWindowLayout::LogoFits(int height) const
{
    const int listHeight = m_rcList.height() + height - m_defaultSize.height();
    return listHeight >= MIN_LIST_HEIGHT || LogoShift() <= 0;
}

QSize CMainWindowLayout::SmallestSize() const
{
    const int listLoss = std::max(0, m_rcList.height() - MIN_LIST_HEIGHT);
    const int width =
        std::min(m_defaultSize.width(),
                 m_rcPage.left() + MIN_PAGE_WIDTH + (m_defaultSize.width() - m_rcPage.right() - 1));
    return {width, m_defaultSize.height() - listLoss - std::max(0, LogoShift())};
}

QSize CMainWindowLayout::MinimumSize(const QSize &available) const
{
    return m_defaultSize.boundedTo(available).expandedTo(SmallestSize());
}

QSize CMainWindowLayout::OpeningSize(const QSize &remembered, const QSize &available) const
{
    const QSize wanted = remembered.isValid() ? remembered : m_defaultSize;
    return wanted.boundedTo(available).expandedTo(MinimumSize(available));
}

QRect CMainWindowLayout::LogoRect(const QSize &size) const
{
    return LogoFits(size.height()) ? m_rcLogo : QRect();
}

bool CMainWindowLayout::Apply(const QSize &size) const
{
    const int dw = size.width() - m_defaultSize.width();
    const int dh = size.height() - m_defaultSize.height();
    const bool logo = LogoFits(size.height());
    // Without the logo the column starts higher and the list has its room.
    const int shift = logo ? 0 : LogoShift();
    const int listHeight = std::max(MIN_LIST_HEIGHT, m_rcList.height() + dh + shift);
    const int listGrowth = listHeight - m_rcList.height();
    for (const SPlace &place : m_places) {
        if (!place.m_pWidget)
            continue;
        QRect rect = place.m_rcDefault;
        switch (place.m_role) {
        case ERole::Fixed:
            if (!logo && rect.top() > m_rcLogo.bottom())
                rect.translate(0, -shift);
            break;
        case ERole::List:
            rect.translate(0, -shift);
            rect.setHeight(listHeight);
            break;
        case ERole::Below:
            rect.translate(0, listGrowth - shift);
            break;
        case ERole::Page:
            rect.setWidth(std::max(0, rect.width() + dw));
            rect.setHeight(std::max(0, rect.height() + dh));
            break;
        case ERole::Bottom:
            rect.translate(0, dh);
            rect.setWidth(std::max(0, rect.width() + dw));
            break;
        }
        place.m_pWidget->setGeometry(rect);
    }
    return logo;
}
