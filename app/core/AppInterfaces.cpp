#include "app/core/AppInterfaces.h"

IDataDoc* g_pDataDoc = nullptr;
IDataTreeView* g_pDataTreeView = nullptr;
IOutputMessage* g_pOutputMessage = nullptr;
IPropetyChange* g_pPropetyChange = nullptr;
