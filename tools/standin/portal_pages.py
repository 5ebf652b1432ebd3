"""The platform's web pages that Plit shows in its own web windows: the news
page (/api/ArticleApi/mini), the invoicing service of a company
(/invoice/?tax_code=…, whose "开具发票" link opens a new window with the
invoice form, /invoice/issue), the help centre (/help/…) and the assistant's
chat (/chat/…).

platform_server.py asks page() for every GET or POST; scripted replies
(delay_ms, hang, …) apply to these paths as to any other.  Standard library
only.
"""

import html

STYLE = """
body { margin: 0; font-family: "Microsoft YaHei", "Noto Sans CJK SC", sans-serif;
       color: #333; background: #f4f7fb; font-size: 14px; }
header { background: #2978e1; color: white; padding: 14px 24px; }
header h1 { margin: 0; font-size: 20px; font-weight: 600; }
header p { margin: 4px 0 0; opacity: .85; font-size: 13px; }
main { padding: 16px 24px; }
section { background: white; border: 1px solid #d9dde5; border-radius: 4px;
          padding: 12px 18px; margin-bottom: 14px; }
h2 { font-size: 15px; color: #2978e1; margin: 0 0 8px; }
ul.news { list-style: none; margin: 0; padding: 0; }
ul.news li { padding: 7px 0; border-bottom: 1px dashed #e3e6eb; }
ul.news li:last-child { border-bottom: none; }
ul.news a { color: #333; text-decoration: none; font-weight: 600; }
ul.news a:hover { color: #2978e1; }
ul.news p { margin: 3px 0 0; color: #666; font-size: 13px; }
dl { display: grid; grid-template-columns: 110px auto; row-gap: 8px; margin: 0; }
dt { color: #666; } dd { margin: 0; }
a.action, button { display: inline-block; background: #2978e1; color: white; border: none;
                   border-radius: 2px; padding: 7px 18px; font-size: 14px; text-decoration: none; }
label { display: block; margin: 10px 0 4px; color: #666; }
input, select { width: 320px; padding: 6px 8px; border: 1px solid #dadada; border-radius: 2px; }
.bubble { display: inline-block; background: white; border: 1px solid #d9dde5; border-radius: 6px;
          padding: 8px 12px; margin: 6px 0; }
"""

CLASSES = [(4, "公司新闻"), (3, "行业动态"), (8, "系统公告")]

FAQ = [
    ("如何添加自己的软件？", "在“推荐应用”的“我的应用”中点击“更多”，选择软件程序并填写名称即可。"),
    ("为什么“我要开票”打不开？", "请先登录账号；每次最多可同时打开三家企业的开票窗口。"),
    ("下载的软件保存在哪里？", "在“系统设置”的“下载设置”中可以查看并修改下载目录。"),
    ("忘记密码怎么办？", "在登录窗口点击“忘记密码?”，通过短信验证码重置密码。"),
]


def esc(text):
    return html.escape(str(text), quote=True)


def document(title, subtitle, body):
    return ("<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>%s</title>"
            "<style>%s</style></head><body><header><h1>%s</h1><p>%s</p></header>"
            "<main>%s</main></body></html>" % (esc(title), STYLE, esc(title), esc(subtitle), body))


def company(world, tax_code):
    for account in world.accounts.values():
        for c in account["companies"]:
            if c["tax_code"] == tax_code:
                return c
    return None


def news(world, base):
    sections = []
    for classid, heading in CLASSES:
        items = "".join(
            "<li><a href=\"%s\" target=\"_blank\">%s</a><p>%s</p></li>"
            % (esc(a.get("p_url", "").replace("{base}", base)), esc(a.get("title", "")),
               esc(a.get("summary", "")))
            for a in world.articles if a.get("classid") == classid)
        if items:
            sections.append("<section><h2>%s</h2><ul class=\"news\">%s</ul></section>"
                            % (esc(heading), items))
    return document("财税资讯", "公司新闻、行业动态与系统公告", "".join(sections))


SESSION_COOKIE = "plit_company"


def session_company(cookie_header):
    """The company the invoicing site's session cookie names, or ""."""
    for part in cookie_header.split(";"):
        name, _, value = part.strip().partition("=")
        if name == SESSION_COOKIE:
            return value
    return ""


def is_invoicing(path):
    return path.startswith("/invoice/") and path != "/invoice/issue"


def invoicing(world, form, session=""):
    code = form.get("tax_code", "")
    found = company(world, code)
    if found is None:
        return document("开票服务", "未找到该企业",
                        "<section><p>纳税人识别号 %s 没有开通开票服务。</p></section>" % esc(code))
    body = ("<section><h2>企业信息</h2><dl><dt>企业名称</dt><dd id=\"name\">%s</dd>"
            "<dt>纳税人识别号</dt><dd id=\"code\">%s</dd><dt>开票状态</dt><dd>已开通</dd></dl>"
            "</section><section><h2>开票</h2><p>在新窗口中填写发票信息。</p>"
            "<a class=\"action\" id=\"issue\" href=\"/invoice/issue?tax_code=%s\" target=\"_blank\">"
            "开具发票</a> <button type=\"button\" id=\"refresh\">刷新状态</button></section>"
            % (esc(found["tax_name"]), esc(code), esc(code)))
    # The title also says whose session the browser came with (the cookie set
    # by an earlier visit), so a test can tell whether companies share one.
    title = "开票服务 · " + found["tax_name"]
    if session:
        title += " · 会话 " + session
    return document(title, "纳税人识别号：" + code, body)


def invoice_form(world, form, method):
    code = form.get("tax_code", "")
    found = company(world, code)
    seller = found["tax_name"] if found else code
    if method == "POST":
        body = ("<section><h2>发票已提交</h2><dl><dt>销售方</dt><dd>%s</dd><dt>购买方</dt><dd>%s</dd>"
                "<dt>金额</dt><dd>%s 元</dd></dl></section>"
                % (esc(seller), esc(form.get("buyer", "")), esc(form.get("amount", ""))))
        return document("开具发票", seller, body)
    body = ("<section><form method=\"post\" action=\"/invoice/issue\">"
            "<input type=\"hidden\" name=\"tax_code\" value=\"%s\">"
            "<label for=\"buyer\">购买方名称</label><input id=\"buyer\" name=\"buyer\">"
            "<label for=\"amount\">金额（元）</label><input id=\"amount\" name=\"amount\">"
            "<label for=\"rate\">税率</label><select id=\"rate\" name=\"rate\">"
            "<option>13%%</option><option>9%%</option><option>6%%</option></select>"
            "<p><button type=\"submit\">提交</button></p></form></section>" % esc(code))
    return document("开具发票", "销售方：" + seller, body)


def help_centre():
    items = "".join("<li><a href=\"#q%d\">%s</a><p id=\"q%d\">%s</p></li>" % (i, esc(q), i, esc(a))
                    for i, (q, a) in enumerate(FAQ))
    return document("Plit云台 帮助中心", "常见问题与使用说明",
                    "<section><h2>常见问题</h2><ul class=\"news\">%s</ul></section>" % items)


def chat():
    body = ("<section><div class=\"bubble\">您好，我是智能助手小P，请问有什么可以帮您？</div>"
            "<form onsubmit=\"return false\"><input id=\"question\" placeholder=\"请输入您的问题\">"
            " <button>发送</button></form></section>")
    return document("Plit云台 智能助手", "在线为您解答", body)


def page(world, method, path, form, base, session=""):
    """The HTML of a portal page, or None for any other path. `session` is
    the company of the invoicing session cookie the request came with."""
    if path == "/api/ArticleApi/mini":
        return news(world, base)
    if path == "/invoice/issue":
        return invoice_form(world, form, method)
    if path.startswith("/invoice/"):
        return invoicing(world, form, session)
    if path == "/help" or path.startswith("/help/"):
        return help_centre()
    if path == "/chat" or path.startswith("/chat/"):
        return chat()
    return None
