#pragma once

// What the debug list's view shows once the event loop has run without taking more data: the
// same lines as the list holds, and the newest one inside the visible area.

#include <string>
#include <vector>

class QWidget;

std::vector<std::string> CheckListView(QWidget* listWidget, const std::vector<std::string>& lines);
