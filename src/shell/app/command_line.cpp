#include "shell/app/command_line.h"

#include "collection/batch/batch_cycle.h"

#include <QCommandLineParser>

namespace CommandLine {

namespace {

using Kind = Option::Kind;
const QList<Program> Both{Program::Window, Program::Runner};
const QList<Program> WindowOnly{Program::Window};
const QList<Program> RunnerOnly{Program::Runner};

QString s(const char16_t *text)
{
    return QString::fromUtf16(text);
}

QList<Option> table()
{
    const QString collectors = QString::number(BatchCycle::MaxCollectors);
    return {
        {{s(u"h"), s(u"help")}, {}, s(u"显示全部参数的说明后退出。"), {}, Both, Kind::Help},
        {{s(u"help-all")}, {}, s(u"显示全部参数及 Qt 自己的参数的说明后退出。"), {}, Both, Kind::HelpAll},
        {{s(u"v"), s(u"version")}, {}, s(u"显示版本号后退出(没有图形显示时也可用)。"), {}, Both, Kind::Version},
        {{s(u"program-folder")}, s(u"DIR"),
         s(u"存放 config.ini 和 listdata.txt 的程序目录(默认: 程序所在目录,不可写时为用户数据目录)"),
         s(u"窗口与无窗口程序用同一个程序目录时共用设置和下载列表;启动时打印所用的程序目录。"), Both},
        {{s(u"check-host")}, s(u"NAME"), s(u"启动采集前检测网络时解析的主机名(默认: www.zorvane.com)"), {}, Both},
        {{s(u"demo")}, {},
         s(u"演示: 在本机启动一个小型 Zorvane 市场,使用独立的临时程序目录,"
           u"把演示店铺的全部宝贝加入待下载列表并采集(无需联网)"),
         s(u"演示的程序目录是 /tmp/zorvane-picker-demo(每次演示前清空,另一个演示仍在运行时改用 "
           u"/tmp/zorvane-picker-demo-2 等),图片保存在其中的“图片”文件夹;不能与 --program-folder 同时使用。"),
         Both},
        {{s(u"shop")}, s(u"URL"), s(u"先整店采集该店铺地址的全部宝贝"),
         s(u"店铺地址用 http:// 或 https:// 都可以;与 --new-only 同用时只加入尚未下载过的宝贝。"), RunnerOnly},
        {{s(u"save-folder")}, s(u"DIR"), s(u"设置图片保存目录(与“保存目录”按钮相同,记入 config.ini)"),
         s(u"目录不存在时先创建;只需设置一次。"), RunnerOnly},
        {{s(u"add")}, s(u"LINE"), s(u"把一行“宝贝URL|货号”加入待下载列表(可多次使用)"),
         s(u"货号可省略;“宝贝URL”输入框里已有的内容不变。"), RunnerOnly},
        {{s(u"fast")}, {}, s(u"本次以快速采集(不改变设置):页面滚动和图片下载尽可能快,下一个宝贝立即开始"), {},
         RunnerOnly},
        {{s(u"new-only")}, {}, s(u"本次跳过已下载(不改变设置):已下载列表中已有的宝贝不再采集,整店采集只加入新宝贝"),
         {}, RunnerOnly},
        {{s(u"collectors")}, s(u"N"), s(u"本次同时采集的宝贝数,1 到 %1(不改变设置)").arg(collectors),
         s(u"每多一个同时采集的宝贝,多一个浏览器页面进程,约多占 50 MB 内存。"), RunnerOnly},
        {{s(u"export")}, s(u"FILE"), s(u"把已下载列表的全部宝贝导出为表格文件(.xlsx)后退出,不采集"),
         s(u"文件名没有 .xlsx 时自动补上;目标文件已存在时直接替换(先写临时文件,失败时原文件不变)。"), RunnerOnly},
        {{s(u"listing-pictures")}, {},
         s(u"为已下载列表的全部宝贝做上架图后退出,不采集"),
         s(u"每个宝贝目录中的“上架图”文件夹:主图为正方形 JPEG(边长默认 800 像素,等比缩放居中、白色补边),"
           u"描述图按页面顺序缩到规定宽度(默认 750 像素)并在最平淡的行切成不超过规定高度(默认 1500 像素)的片,"
           u"每个文件不超过大小上限(默认 2048 KB);尺寸在窗口“上架图片设置”中设置,记在 config.ini。"
           u"已有的上架图整个替换(先写在隐藏的临时文件夹中,完成后改名),宝贝自己的图片不变。"),
         RunnerOnly},
        {{s(u"watch-add")}, s(u"URL"), s(u"把店铺加入店铺上新监控(首次检查只记录现有宝贝)"),
         s(u"http/https、末尾的“/”和大小写不同的地址算同一个店铺,已在监控中时只提示。"), RunnerOnly},
        {{s(u"with-existing")}, {}, s(u"与 --watch-add 同用:首次检查就采集店铺现有的宝贝"), {}, RunnerOnly},
        {{s(u"watch-remove")}, s(u"URL"), s(u"把店铺移出店铺上新监控"), {}, RunnerOnly},
        {{s(u"watch-list")}, {}, s(u"列出监控的店铺,每行一个"),
         s(u"各列以制表符分隔:店铺名、地址、加入时间、上次检查、宝贝数、新宝贝数、下架数、状态。"), RunnerOnly},
        {{s(u"watch")}, {},
         s(u"立即检查全部监控店铺,采集新宝贝(可与 --fast、--collectors 同用);窗口正在使用列表时交给窗口检查"),
         s(u"逐页读取每个店铺的宝贝列表,与上次检查和已下载列表比较,新宝贝加入待下载列表并采集;每次检查在保存目录的"
           u"“店铺上新记录.txt”末尾记一段,有新宝贝时发一条桌面通知。店铺列表有一页读不到(打不开、被转到验证页、"
           u"没有宝贝列表)时整个店铺算读不到,保留上次记录;不在列表中的宝贝要打开它自己的页面核对后才记为下架。"
           u"另一个无窗口程序正在使用列表时最多等它 %1 分钟。").arg(WatchLockWaitMinutes), RunnerOnly},
        {{s(u"watch-schedule")}, s(u"daily HH:MM|off"), s(u"定时检查: daily HH:MM(每天,系统定时器)或 off(关闭)"),
         s(u"写入并启用 systemd 用户定时器 zorvane-picker-watch-XXXXXXXXXXXX.timer 和同名的服务(XXXXXXXXXXXX "
           u"由程序目录的路径算出,每个程序目录各有一套);systemctl --user 不可用时改为程序窗口打开时检查;"
           u"--demo 不设置系统定时器。关闭时 systemctl 停用失败则报告其原因,定时保持不变。"), RunnerOnly},
        {{s(u"lock-wait")}, s(u"SECONDS"), s(u"--watch 等待另一个无窗口程序释放列表的最长秒数(测试用)"), {}, RunnerOnly,
         Kind::Hidden},
        {{s(u"screenshot")}, s(u"FILE"), s(u"演示中保存窗口截图后退出"), {}, WindowOnly, Kind::Hidden},
        {{s(u"screenshot-scene")}, s(u"NAME"), s(u"截图内容: batch、tabs、skin、log、preview、watch 或 listing"), {}, WindowOnly,
         Kind::Hidden},
        {{s(u"webEngineArgs")}, s(u"参数…"), s(u"之后的参数原样交给内置浏览器(Chromium)"),
         s(u"必须放在最后;它之后的参数不再由本程序解析。"), Both, Kind::Trailing},
    };
}

const QList<Term> &sharedFiles()
{
    static const QList<Term> files{
        {s(u"~/.local/share/zorvane-picker/config.ini"),
         s(u"设置(保存目录、自动模式、采集速度、同时采集、皮肤等),GB18030 编码。从编译目录运行、程序所在目录可写时,"
           u"程序目录是程序所在目录。")},
        {s(u"~/.local/share/zorvane-picker/listdata.txt"), s(u"三个列表:“宝贝URL”输入框、待下载列表和已下载列表。")},
        {s(u"~/.local/share/zorvane-picker/listdata.txt.lock"),
         s(u"列表锁:同一程序目录同时只有一个窗口或无窗口程序保存列表。")},
        {s(u"~/.local/share/zorvane-picker/listdata-日期-时间.txt"), s(u"列表无法保存或读不完整时的副本。")},
    };
    return files;
}

const QList<Term> &sharedEnvironment()
{
    static const QList<Term> environment{
        {s(u"ZORVANE_QT_MESSAGES"), s(u"设为 1 时在终端显示 Qt 与内置浏览器自己的日志(调试用)。")},
        {s(u"QTWEBENGINE_CHROMIUM_FLAGS"), s(u"交给内置浏览器的参数,与 --webEngineArgs 之后的参数合并。")},
    };
    return environment;
}

} // namespace

const QList<Option> &options()
{
    static const QList<Option> all = table();
    return all;
}

QList<Option> optionsOf(Program program)
{
    QList<Option> found;
    for (const Option &option : options()) {
        if (option.programs.contains(program))
            found.append(option);
    }
    return found;
}

Manual manual(Program program)
{
    Manual m;
    const QString signal = s(u"%1+N").arg(ExitCode::SignalBase);
    if (program == Program::Window) {
        m.name = s(u"zorvane-picker");
        m.summary = s(u"Zorvane产品图片下载器的窗口程序");
        m.description = s(u"Zorvane产品图片下载器: 批量下载 Zorvane 批发市场的宝贝图片。");
        m.paragraphs = {
            s(u"为 Zorvane 批发市场的网店卖家批量下载宝贝图片:把宝贝地址加入待下载列表,程序在内置浏览器中逐个打开"
              u"宝贝详情页,读取标题、属性表和货号,下载主图和描述图,每个宝贝保存为一个文件夹。"),
            s(u"窗口中还可以浏览网页、整店采集、查找和导出已下载的宝贝、换肤。没有图形显示时请使用 "
              u"zorvane-picker-batch。"),
        };
        m.exitCodes = {
            {QString::number(ExitCode::Done), s(u"窗口正常关闭,列表已保存。")},
            {QString::number(ExitCode::Usage), s(u"参数有误、没有图形显示,或无法创建程序目录。")},
            {QString::number(ExitCode::ListsNotSaved),
             s(u"关闭时下载列表未能保存;列表另存为 listdata-日期-时间.txt,消息框说明了原因和副本的位置。")},
            {signal, s(u"收到信号 N(例如 SIGINT、SIGTERM)后保存列表退出。")},
        };
        m.files = sharedFiles();
        m.files += {
            {s(u"~/.local/share/zorvane-picker/likepage/"), s(u"收藏夹(.link 文件)。")},
            {s(u"~/.local/share/zorvane-picker/皮肤/"), s(u"皮肤(Qt 样式表 .qss),可以自己添加。")},
            {s(u"/usr/share/zorvane-picker/皮肤/"), s(u"随程序安装的皮肤,第一次打开“换肤”时复制到用户的皮肤目录。")},
        };
        m.environment = {{s(u"DISPLAY, WAYLAND_DISPLAY"), s(u"图形显示;都未设置时程序说明原因后退出。")}};
        m.environment += sharedEnvironment();
        m.examples = {
            {s(u"zorvane-picker --demo"), s(u"本机演示:不联网也能看到整个采集过程。")},
            {s(u"zorvane-picker --program-folder ~/店铺A"), s(u"用另一个程序目录(另一套设置和列表)打开窗口。")},
        };
        m.seeAlso = s(u"zorvane-picker-batch");
    } else {
        m.name = s(u"zorvane-picker-batch");
        m.summary = s(u"Zorvane产品图片下载器的无窗口批量采集程序");
        m.description = s(u"Zorvane产品图片下载器(无窗口批量采集):逐个采集待下载列表中的宝贝,全部完成后退出。");
        m.paragraphs = {
            s(u"与窗口程序 zorvane-picker 使用同一个程序目录里的 config.ini 和 listdata.txt:启动时读入列表,"
              u"先检测网络,然后逐个采集待下载列表中的宝贝,每条状态日志即时打印一行;待下载列表为空且没有正在采集的"
              u"宝贝时退出。"),
            s(u"每个宝贝保存为“保存目录/宝贝标题”文件夹:主图、描述图(宽度不足 450 像素的不保存)和 "
              u"宝贝基本信息.txt(GBK 编码)。按 Ctrl+C 或收到 SIGTERM 时,正在采集的宝贝放回待下载列表顶部,"
              u"列表随即保存。"),
        };
        m.exitCodes = {
            {QString::number(ExitCode::Done), s(u"待下载列表已采完(或 --export 导出成功、--listing-pictures 全部做好)。")},
            {QString::number(ExitCode::Usage), s(u"参数有误,或无法创建程序目录、保存目录。")},
            {QString::number(ExitCode::StartRefused), s(u"网络检测失败:启动采集失败,请检测网络是否连通。")},
            {QString::number(ExitCode::Paused),
             s(u"采集暂停:未设保存目录,或保存目录无法写入(磁盘已满、只读);未采集的宝贝留在待下载列表顶部。")},
            {QString::number(ExitCode::ListsNotSaved), s(u"退出前列表保存失败;列表另存为 listdata-日期-时间.txt。")},
            {QString::number(ExitCode::ListsHeldElsewhere),
             s(u"同一程序目录已有窗口或另一个无窗口程序在使用下载列表;没有读写 listdata.txt 和 config.ini。"
               u"--watch 遇到窗口时把检查交给窗口(退出码 0),遇到另一个无窗口程序时先等它最多 %1 分钟。")
                 .arg(WatchLockWaitMinutes)},
            {QString::number(ExitCode::AtVerificationWall),
             s(u"市场要求验证;宝贝留在待下载列表顶部,在窗口中完成验证后再运行。")},
            {QString::number(ExitCode::ExportFailed), s(u"--export 导出失败。")},
            {QString::number(ExitCode::ScheduleByWindowOnly),
             s(u"--watch-schedule:systemctl --user 不可用,定时检查改为程序窗口打开时进行。")},
            {QString::number(ExitCode::NoShopRead), s(u"--watch:没有一个监控的店铺读得到(多半是网络问题)。")},
            {QString::number(ExitCode::NoNetwork),
             s(u"采集中网络中断 10 分钟仍未恢复;列表已保存,未采集的宝贝留在待下载列表顶部,下次运行接着采集。")},
            {QString::number(ExitCode::ListingIncomplete),
             s(u"--listing-pictures:有宝贝的上架图未能做出(目录不存在、磁盘已满、没有写入权限),"
               u"或有文件降到最低质量 70 仍超过大小上限;每个宝贝的情况见输出。")},
            {signal, s(u"收到信号 N(例如 SIGINT、SIGTERM);正在采集的宝贝已放回待下载列表顶部。")},
        };
        m.files = sharedFiles();
        m.files += {
            {s(u"~/.local/share/zorvane-picker/watchshops.txt"),
             s(u"监控的店铺和每个店铺上次检查看到的宝贝,GB18030 编码。")},
            {s(u"保存目录/店铺上新记录.txt"), s(u"每次检查的新宝贝、下架和读不到的店铺。")},
            {s(u"宝贝目录/上架图/"), s(u"--listing-pictures 做出的主图1.jpg…和描述图1.jpg…。")},
            {s(u"~/.config/systemd/user/zorvane-picker-watch-XXXXXXXXXXXX.timer"),
             s(u"--watch-schedule 写入的定时器和同名的服务,每个程序目录一套。")},
        };
        m.environment = {{s(u"QT_QPA_PLATFORM"), s(u"未设置时为 offscreen:采集用的网页在屏幕外显示。")}};
        m.environment += sharedEnvironment();
        m.examples = {
            {s(u"zorvane-picker-batch --demo"), s(u"本机演示:采集演示店铺的全部宝贝。")},
            {s(u"zorvane-picker-batch --save-folder ~/宝贝图片"), s(u"设置图片保存目录(只需一次)。")},
            {s(u"zorvane-picker-batch --add \"http://detail.zorvane.com/offer/123.html|货1\""),
             s(u"加入待下载列表并开始采集。")},
            {s(u"zorvane-picker-batch --shop http://myshop.zorvane.com --new-only"),
             s(u"整店分析,只加入和采集尚未下载过的宝贝。")},
            {s(u"zorvane-picker-batch --shop http://myshop.zorvane.com --fast --collectors 3"),
             s(u"快速、同时采集 3 个宝贝。")},
            {s(u"zorvane-picker-batch --export ~/宝贝表格.xlsx"), s(u"把已下载列表导出为表格后退出。")},
            {s(u"zorvane-picker-batch --listing-pictures"), s(u"为已下载的全部宝贝做上架图后退出。")},
            {s(u"zorvane-picker-batch --watch-add http://myshop.zorvane.com"), s(u"监控店铺的新宝贝。")},
            {s(u"zorvane-picker-batch --watch-schedule daily 09:00"), s(u"每天 9 点检查监控的店铺,采集新宝贝。")},
        };
        m.seeAlso = s(u"zorvane-picker");
    }
    m.synopsis = s(u"[选项] [--webEngineArgs 参数…]");
    return m;
}

void addTo(QCommandLineParser &parser, Program program)
{
    parser.setApplicationDescription(manual(program).description);
    for (const Option &option : optionsOf(program)) {
        switch (option.kind) {
        case Kind::Help:
            parser.addHelpOption();
            break;
        case Kind::HelpAll:
            break;
        case Kind::Version:
            parser.addVersionOption();
            break;
        case Kind::Trailing:
            // Cut off before parsing; --help names it among the arguments.
            parser.addPositionalArgument(QStringLiteral("--") + option.names.first() + u' ' + option.valueName,
                                         option.help, QStringLiteral("[--%1 %2]").arg(option.names.first(),
                                                                                        option.valueName));
            break;
        case Kind::Plain:
        case Kind::Hidden: {
            QCommandLineOption qt(option.names, option.help, option.valueName);
            if (option.kind == Kind::Hidden)
                qt.setFlags(QCommandLineOption::HiddenFromHelp);
            parser.addOption(qt);
            break;
        }
        }
    }
}

} // namespace CommandLine
