#pragma once

#include "ordering/OrderTransfer.h"

#include <QString>

#include <optional>

class QWebEngineProfile;
class RasterBitmap;
class TTransDataForm;
struct DialogHost;

// The browser profile of every page of the order: the registration form and the order
// page share its cookies.
QWebEngineProfile* orderWebProfile();

// Before the application object exists: what the browser engine needs to start (shared
// GL contexts; no sandbox when running as root, which it refuses), and one renderer
// process for all pages of a site, added to the engine flags the environment gives.
void prepareWebEngine();

// The order operation after the main window's stage checks: the sheet is saved as a
// temporary JPEG, the upload window shows the transfer, and the order page opens in the
// order browser. The JPEG is gone afterwards whatever happened. A failed FTP connection,
// login or directory change ends the order without the order page. Does nothing while
// an order runs. Returns the transfer's report, or nothing when no transfer ran.
std::optional<OrderTransfer::Report> OrderPrints(const DialogHost& host, TTransDataForm& window,
                                                 const RasterBitmap& sheet,
                                                 const OrderTransfer::Request& order);

// The order page at address in a maximised modal order browser, destroyed after its run.
void openOrderPage(const DialogHost& host, const QString& address);

// Opens the address in the desktop's own browser; failures stay silent.
void OpenInInternetExplorer(const QString& url);
