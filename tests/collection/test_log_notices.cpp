#include "collection/log_notices.h"

#include <gtest/gtest.h>

TEST(LogNotices, FailuresAndRefusalsInTheProgramsOwnWords)
{
    const struct
    {
        const char *name;
        const char16_t *message;
        bool notice;
    } cases[] = {
        // Failures and refusals.
        {"nothing selected", u"删除待下载信息失败,原因:未选择", true},
        {"address bar refusal", u"地址栏只能打开http或https网址,未打开:file:///etc/passwd", true},
        {"refused address", u"拒绝打开宝贝网址<file:///x>,原因:只能打开http或https开头的网址", true},
        {"short line", u"重新采集<5|只有标题>失败,原因:该行没有宝贝网址", true},
        {"number of a short line", u"修改宝贝货号失败<5|只有标题>,原因:该行字段不全", true},
        {"missing folder", u"打开目录失败,原因:目录不存在:/pics/连衣裙", true},
        {"network", u"启动采集失败,请检测网络是否连通!", true},
        {"not a detail page", u"A-1采集中:采集地址非法,不是Zorvane宝贝下载地址_http://d/1.html", true},
        {"page hangs", u"A-1采集中:页面无响应,已放弃该页面_http://d/1.html", true},
        {"pictures missing", u"A-1采集中:有2张图片未能下载(主图1张,描述图1张)_http://d/1.html", true},
        {"item given back", u"A-1采集中:未设定图片保存目录,请点击\"保存目录\"选择保存目录,宝贝已放回待下载列表顶部,采集暂停_u", true},
        {"lists not saved", u"保存列表失败,原因:磁盘空间不足,文件未能完整写入", true},
        {"read-only copy", u"列表只读,本窗口不能启动采集:另一个已打开的本程序窗口正在采集同一程序目录的下载列表。", true},
        {"past the last hit", u"查找关键字:Red,已经是最后一个,无法下一个", true},
        {"before the first hit", u"查找关键字:Red,已经是第一个,无法上一个", true},
        {"taken off sale", u"A-1采集中:页面被转到https://s.zorvane.com/x_y,可能已下架_http://d/1.html", true},
        {"no hits to step", u"无查找结果,请先查找", true},
        {"empty shop box", u"请输入店铺URL,回车开始采集", true},
        {"shop already walked", u"正在分析店铺http://a.zorvane.com的宝贝,请待本次整店采集分析完成后再开始", true},
        {"shop without items", u"未分析到宝贝地址,原因：店铺地址错误或网络原因或店铺没有宝贝", true},
        // Steps and successes.
        {"step", u"A-1采集中:图片地址分析中..._http://d/1.html", false},
        {"moved, judged later", u"A-1采集中:页面被转到https://s/失败,待采到其他宝贝后再判断是否已下架_http://d/1.html", false},
        {"success", u"A-1采集中:采集成功!选中已下载项，双击查看下集结果!_http://d/1.html", false},
        {"start", u"启动采集,一旦检测到待下载列表有宝贝,将自行采集下载并启动列表旁的状态闪烁指示灯.", false},
        {"instruction", u"请先选中要修改的宝贝,然后输入新货号,最后确定修改", false},
        {"pause", u"启动暂停指示，待最近一次采集完成后将关闭采集", false},
        // The user's and the pages' words do not count.
        {"title in a step", u"不能错过采集中:加载_http://d/不能.html", false},
        {"deleted line", u"删除已下载信息<1|失败也不能退|/o/1|u>", false},
        {"line with an arrow", u"删除<Q-1->拒绝|http://d/1.html>", false},
        {"hit", u"在已下载列表查找到:1|不能错过的连衣裙|/o/1|u", false},
        {"clicked entry", u"在已下载列表选择:1|无法拒绝|/o/1|u", false},
        {"keyword", u"关键字:失败,在已下载列表共计查找到:0项,请点击【上一个】或【下一个】按钮进行查看结果", false},
        {"stepped hit", u"查找关键字:无法第2个结果", false},
        {"new number", u"修改宝贝货号5至失败品", false},
        {"named page", u"不能错过|http://d/9.html已添加到宝贝列表!", false},
        {"opened folder", u"打开目录:/pics/不能错过", false},
        {"downloaded file", u"文件下载完成:/home/u/下载/失败清单.xlsx", false},
    };
    for (const auto &c : cases)
        EXPECT_EQ(isFailureNotice(QString::fromUtf16(c.message)), c.notice) << c.name;
}
