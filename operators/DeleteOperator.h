#pragma once
// Deleting the selected operator after a confirmation. Deleting the operator
// on duty leaves nobody on duty and stops relaying.

#include "operators/OperatorListView.h"

class MessageBoxes;
class RelayControl;

void DeleteSelectedOperator(const OperatorListControls& controls, RelayControl& relay, MessageBoxes& boxes);
