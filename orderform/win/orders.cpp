// TKS_Zamawiacz on the network: sending the order, downloading the program
// list and the price list, the web shop.
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include "orderform/cp1250.h"
#include "orderform/ordertext.h"
#include "orderform/programline.h"
#include "orderform/res/resource.h"
#include "orderform/win/dialogs.h"
#include "orderform/win/mainform.h"
#include "orderform/win/msgboxes.h"
#include "orderform/win/wintext.h"
#include "orderform/win/storage.h"

namespace tendra {
namespace {

// Marks a request as running for the time of its call, so that closing the
// window meanwhile waits for the call to come back.
class RunningRequest {
public:
    explicit RunningRequest(bool& flag) : flag_(flag) { flag_ = true; }
    ~RunningRequest() { flag_ = false; }

private:
    bool& flag_;
};

}  // namespace

void TKS_Zamawiacz::ApplyProxySettings() {
    HWND useProxy = Item(IDC_CHK_PROXY);
    std::wstring proxy = TextOf(Item(IDC_EDT_PROXY));
    if (SendMessageW(useProxy, BM_GETCHECK, 0, 0) == BST_CHECKED) {
        if (!proxy.empty()) {
            BOOL failed = FALSE;
            auto port = static_cast<int>(SendMessageW(Item(IDC_SPN_PORT), UDM_GETPOS32, 0, reinterpret_cast<LPARAM>(&failed)));
            httpc_.Proxy = ToCp1250(proxy);
            httpc_.ProxyPort = std::to_string(port);
        } else {
            SendMessageW(useProxy, BM_SETCHECK, BST_UNCHECKED, 0);
        }
    }
    // Unchecking the box later goes direct again.
    if (SendMessageW(useProxy, BM_GETCHECK, 0, 0) != BST_CHECKED) httpc_.Proxy.clear();
    httpc_.NoCache = SendMessageW(Item(IDC_CHK_NOCACHE), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void TKS_Zamawiacz::PMNU_Inet1Click(int tag) {
    const std::string& url = tag == 1 ? endpoints_.order1 : endpoints_.order2;
    std::string signature = ServerSignature(tag == 1 ? endpoints_.orderHost1 : endpoints_.orderHost2);
    if (Question(hwnd_, LoadText(IDS_ASK_CONNECTED), LoadText(IDS_CAPTION_INFO)) != 1) {
        InfoBox(hwnd_, LoadText(IDS_CONNECT_TO_SEND), LoadText(IDS_CAPTION_INFO), kWarningIcon);
        return;
    }
    OrderForm form;
    OrderData data = CollectOrderData();
    form.name = data.name;
    form.organisation = data.organisation;
    form.street = data.street;
    form.postcode = data.postcode;
    form.city = data.city;
    form.email = data.email;
    form.nip = data.nip;
    form.phone = data.phone;
    form.invoice = TextOf(Item(IDC_EDT_RACHUNEK));
    form.delivery = data.delivery;
    form.remarks = data.remarks;
    form.programs = data.programs;
    std::string body = BuildOrderPost(form, signature);
    std::string reply;
    ApplyProxySettings();

    HWND accept = Item(IDC_BTN_AKCEPT);
    EnableWindow(accept, FALSE);
    bool sent = false;
    {
        RunningRequest running(requestRunning_);
        try {
            httpc_.SetSendStream(&body, 0);
            httpc_.SetReceiveStream(&reply);
            httpc_.URL = url;
            httpc_.Post();
            sent = true;
        } catch (const std::exception&) {
            sent = false;
        }
        httpc_.SetSendStream(nullptr);
        httpc_.SetReceiveStream(nullptr);
    }
    if (closeAfterRequest_) {
        DestroyWindow(hwnd_);
        return;
    }
    EnableWindow(accept, TRUE);
    if (sent)
        InfoBox(hwnd_, LoadText(IDS_ORDER_SENT), LoadText(IDS_CAPTION_THANKS), kInfoIcon);
    else
        InfoBox(hwnd_, LoadText(IDS_ORDER_NOT_SENT), LoadText(IDS_CAPTION_ERROR), kErrorIcon);
}

void TKS_Zamawiacz::BTN_Load_ProductsClick() {
    collected_.clear();
    if (Question(hwnd_, LoadText(IDS_ASK_CONNECTED), LoadText(IDS_CAPTION_INFO)) != 1) {
        InfoBox(hwnd_, LoadText(IDS_CONNECT_TO_UPDATE_LIST), LoadText(IDS_CAPTION_INFO), kWarningIcon);
        return;
    }
    Download(endpoints_.programs);
}

void TKS_Zamawiacz::BTN_CennikClick() {
    collected_.clear();
    if (Question(hwnd_, LoadText(IDS_ASK_CONNECTED), LoadText(IDS_CAPTION_INFO)) != 1) {
        InfoBox(hwnd_, LoadText(IDS_CONNECT_TO_SEE_PRICES), LoadText(IDS_CAPTION_INFO), kWarningIcon);
        return;
    }
    Download(endpoints_.prices);
}

void TKS_Zamawiacz::Download(const std::string& url) {
    ApplyProxySettings();
    documentEnded_ = false;
    document_.clear();
    bool failed = false;
    {
        RunningRequest running(requestRunning_);
        try {
            httpc_.SetSendStream(nullptr);
            httpc_.SetReceiveStream(nullptr);
            httpc_.URL = url;
            httpc_.Get();
        } catch (const HttpException&) {
            failed = true;
        } catch (const std::exception& e) {
            if (!closeAfterRequest_) DefaultErrorHandler(e);
            documentEnded_ = false;
        }
    }
    if (closeAfterRequest_) {
        DestroyWindow(hwnd_);
        return;
    }
    if (failed) {
        InfoBox(hwnd_, LoadText(IDS_DOWNLOAD_FAILED), LoadText(IDS_CAPTION_ERROR), kErrorIcon);
        return;
    }
    // The document is taken up only once the request has finished well, so
    // that a broken transfer changes nothing.
    if (documentEnded_) FinishDownload();
}

void TKS_Zamawiacz::httpcDocData(const char* data, size_t len) {
    size_t n = 0;
    while (n < len && data[n] != '\0') ++n;
    collected_.emplace_back(data, n);
}

void TKS_Zamawiacz::httpcDocEnd() {
    // The blocks are joined as they came: the network's split of the
    // document is no line break of it.
    document_.clear();
    for (const std::string& block : collected_) document_ += block;
    documentEnded_ = true;
}

void TKS_Zamawiacz::FinishDownload() {
    documentEnded_ = false;
    std::wstring text = FromCp1250(document_);
    if (httpc_.URL == endpoints_.programs) {
        std::vector<std::wstring> lines;
        // A list we could not read back at the next start is not taken.
        if (document_.size() <= kMaxListBytes) lines = SplitListText(text);
        if (lines.empty()) {  // nothing usable came: keep what we have
            InfoBox(hwnd_, LoadText(IDS_DOWNLOAD_FAILED), LoadText(IDS_CAPTION_ERROR), kErrorIcon);
            return;
        }
        SetProgramLines(lines);
        SaveProgramList(ProgramListPath(), lines);
        collected_.clear();
        InfoBox(hwnd_, LoadText(IDS_LIST_UPDATED), LoadText(IDS_CAPTION_INFO), kInfoIcon);
    } else if (httpc_.URL == endpoints_.prices) {
        TCEnnikDlg(hwnd_, text);
    }
}

void TKS_Zamawiacz::PMNU_SklepClick() {
    if (Question(hwnd_, LoadText(IDS_ASK_CONNECTED_SHOP), LoadText(IDS_CAPTION_QUESTION)) != 1) return;
    ShellExecuteA(hwnd_, nullptr, endpoints_.shop.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

void TKS_Zamawiacz::DefaultErrorHandler(const std::exception& e) {
    InfoBox(hwnd_, FromCp1250(e.what()), LoadText(IDS_APP_TITLE), kErrorIcon);
}

}  // namespace tendra
