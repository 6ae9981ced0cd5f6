# The Debian package (scripts/package-deb.sh): CPack's DEB generator packs
# what the install rules install, under /usr.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME zorvane-picker)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Zorvane产品图片下载器开发组 <picker@zorvane.com>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "批量下载 Zorvane 批发市场宝贝的主图和描述图")
# Debian's lines are at most 80 columns: a Chinese character takes two. (The
# first line must not read as the summary once lintian drops all but Latin
# letters and digits.)
string(CONCAT CPACK_PACKAGE_DESCRIPTION
    "窗口程序 zorvane-picker 为 Zorvane 批发市场的网店卖家批量下载宝贝图片：\n"
    "在内置浏览器中逐个打开宝贝详情页，读取标题、属性表和货号，下载主图和\n"
    "描述图，每个宝贝保存为一个文件夹。可以整店采集、同时采集几个宝贝、\n"
    "跳过已下载的宝贝，把已下载的宝贝导出为 Excel 表格，并一步做成上架用的\n"
    "白底正方形主图和切好片的描述图。\n"
    "无窗口批量采集程序 zorvane-picker-batch 适合没有显示器的机器。")
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION net)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE https://www.zorvane.com/picker/)
# The libraries the programs link come from dpkg-shlibdeps (libvips among
# them: 上架图 needs none of its loadable modules); these are what
# they load by name at run time: Qt's Chinese catalogues, the web engine's
# locale packs, the WebP image plugin, a font with Chinese glyphs and the
# certificates for HTTPS picture downloads.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
string(CONCAT CPACK_DEBIAN_PACKAGE_DEPENDS
    "qt6-translations-l10n, libqt6webengine6-data, qt6-image-formats-plugins, "
    "fonts-wqy-microhei | fonts-noto-cjk | fonts-wqy-zenhei, ca-certificates")
# Opening folders, pages and pictures with the desktop's programs.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS xdg-utils)
include(CPack)
