// Word lists and templates of the demo data; see names.h.
#include "demodata/names.h"

namespace demodata::Internal {

namespace {

using R = GoodsRole;

constexpr CategoryTemplate kCategories[] = {
    // The top categories 1..5 come with every new account set.
    {11, 1, "金属材料"}, {12, 1, "塑料化工"}, {13, 1, "包装材料"},  {21, 2, "办公家具"},
    {31, 3, "纸张本册"}, {32, 3, "书写工具"}, {33, 3, "文件管理"},  {34, 3, "桌面用品"},
    {41, 4, "清洁用品"}, {42, 4, "劳保用品"}, {6, 0, "电脑及耗材"}, {61, 6, "电脑整机"},
    {62, 6, "打印耗材"}, {63, 6, "电脑配件"}, {7, 0, "办公设备"},   {71, 7, "打印复印设备"},
    {72, 7, "通讯设备"}, {8, 0, "饮品食品"},  {81, 8, "饮用水"},    {82, 8, "茶叶咖啡"},
};

constexpr GoodsTemplate kGoods[] = {
    {31, "A4复印纸", "70g 500张/包", "包", 18.50, false, R::Trade},
    {31, "A4复印纸", "80g 500张/包", "包", 22.00, false, R::Trade},
    {31, "A3复印纸", "70g 500张/包", "包", 38.00, false, R::Trade},
    {31, "软抄本", "A5 60页", "本", 2.20, false, R::Trade},
    {31, "皮面笔记本", "B5 100页", "本", 12.50, false, R::Trade},
    {31, "便利贴", "76×76mm 100张", "本", 2.80, false, R::Trade},
    {31, "电脑打印纸", "241-3 三联 1000页", "箱", 135.00, false, R::Trade},
    {32, "中性笔", "0.5mm 黑色", "支", 1.20, false, R::Trade},
    {32, "中性笔芯", "0.5mm 黑色", "支", 0.45, false, R::Trade},
    {32, "圆珠笔", "0.7mm 蓝色", "支", 0.80, false, R::Trade},
    {32, "白板笔", "黑色 可擦", "支", 2.10, false, R::Trade},
    {32, "荧光笔", "黄色", "支", 1.60, false, R::Trade},
    {32, "铅笔", "HB 带橡皮", "支", 0.50, false, R::Trade},
    {32, "记号笔", "双头 黑色", "支", 1.90, false, R::Trade},
    {33, "文件夹", "A4 双强力夹", "个", 4.50, false, R::Trade},
    {33, "档案盒", "A4 55mm 蓝色", "个", 5.80, false, R::Trade},
    {33, "拉链袋", "A4 透明", "个", 1.30, false, R::Trade},
    {33, "资料册", "A4 60页", "本", 9.80, false, R::Trade},
    {33, "牛皮纸档案袋", "A4 250g", "个", 0.90, false, R::Trade},
    {34, "订书机", "12号", "个", 9.50, false, R::Trade},
    {34, "订书钉", "12号 1000枚", "盒", 1.10, false, R::Trade},
    {34, "长尾夹", "32mm 12只装", "盒", 3.20, false, R::Trade},
    {34, "剪刀", "170mm", "把", 4.80, false, R::Trade},
    {34, "美工刀", "18mm 大号", "把", 3.50, false, R::Trade},
    {34, "透明胶带", "48mm×100m", "卷", 4.20, false, R::Trade},
    {34, "计算器", "12位 太阳能", "个", 22.00, false, R::Trade},
    {41, "抽纸", "三层 130抽", "包", 2.60, false, R::Trade},
    {41, "卷纸", "四层 140g", "卷", 1.80, false, R::Trade},
    {41, "洗手液", "500ml", "瓶", 8.50, false, R::Trade},
    {41, "垃圾袋", "60×80cm 50只", "卷", 6.20, false, R::Trade},
    {41, "拖把", "旋转式", "把", 45.00, false, R::Trade},
    {41, "洗洁精", "1.5kg", "瓶", 9.90, false, R::Trade},
    {42, "棉纱手套", "加厚 12副", "打", 14.50, false, R::Trade},
    {42, "一次性口罩", "三层 50只", "盒", 18.00, false, R::Trade},
    {42, "安全帽", "ABS 黄色", "顶", 16.00, false, R::Trade},
    {42, "工作服", "涤棉 XL", "套", 68.00, false, R::Trade},
    {42, "劳保鞋", "防砸 42码", "双", 75.00, false, R::Trade},
    {61, "笔记本电脑", "14寸 i5/8G/512G", "台", 3850.00, true, R::Trade},
    {61, "台式电脑", "i5/8G/1T 21.5寸", "台", 3200.00, true, R::Trade},
    {61, "液晶显示器", "23.8寸 IPS", "台", 699.00, true, R::Trade},
    {62, "硒鼓", "88A 黑色", "支", 68.00, false, R::Trade},
    {62, "墨盒", "803 黑色", "个", 55.00, false, R::Trade},
    {62, "碳粉", "1000g 通用", "瓶", 42.00, false, R::Trade},
    {62, "色带", "针式打印机 通用", "个", 9.00, false, R::Trade},
    {63, "无线鼠标", "2.4G 光电", "个", 35.00, false, R::Trade},
    {63, "有线键盘", "USB 104键", "个", 42.00, false, R::Trade},
    {63, "U盘", "32G USB3.0", "个", 29.00, false, R::Trade},
    {63, "移动硬盘", "1TB USB3.0", "个", 285.00, true, R::Trade},
    {63, "网线", "超五类 305米", "箱", 260.00, false, R::Trade},
    {71, "激光打印机", "A4 黑白", "台", 980.00, true, R::Trade},
    {71, "多功能一体机", "打印复印扫描", "台", 1650.00, true, R::Trade},
    {71, "碎纸机", "4级保密", "台", 420.00, true, R::Trade},
    {72, "电话机", "来电显示", "部", 48.00, false, R::Trade},
    {72, "无线路由器", "双频千兆", "台", 169.00, false, R::Trade},
    {81, "桶装水", "18.9L", "桶", 12.00, false, R::Trade},
    {81, "矿泉水", "550ml×24瓶", "箱", 22.00, false, R::Trade},
    {82, "绿茶", "250g 罐装", "罐", 65.00, false, R::Trade},
    {82, "速溶咖啡", "1.8kg 100条", "盒", 58.00, false, R::Trade},
    {11, "冷轧钢板", "1.0×1250×2500mm", "张", 165.00, false, R::Material},
    {11, "不锈钢板", "304 1.2mm", "张", 420.00, false, R::Material},
    {11, "铝型材", "6063 40×40", "米", 18.50, false, R::Material},
    {11, "镀锌方管", "30×30×1.5", "米", 9.80, false, R::Material},
    {11, "六角螺栓", "M8×30 镀锌 100只", "盒", 26.00, false, R::Material},
    {11, "自攻螺丝", "4×25 200只", "盒", 12.00, false, R::Material},
    {12, "PVC管", "DN50 4米", "根", 21.00, false, R::Material},
    {12, "环氧底漆", "灰色 20kg", "桶", 380.00, false, R::Material},
    {12, "稀释剂", "16L", "桶", 150.00, false, R::Material},
    {13, "纸箱", "五层 60×40×40", "个", 6.50, false, R::Material},
    {13, "气泡膜", "1.2m×50m", "卷", 48.00, false, R::Material},
    {13, "打包带", "PP 16mm", "卷", 35.00, false, R::Material},
    {21, "钢制文件柜", "1800×900×400", "组", 520.00, false, R::Product},
    {21, "办公椅", "网布 升降", "把", 185.00, false, R::Product},
    {21, "办公桌", "1400×700", "张", 430.00, false, R::Product},
    {21, "更衣柜", "六门", "组", 610.00, false, R::Product},
};

constexpr const char *kBrands[] = {"得力",   "晨光", "齐心", "真彩",   "惠普",   "联想", "佳能",
                                   "爱普生", "兄弟", "三木", "金得利", "广博",   "国誉", "宝克",
                                   "史泰博", "天章", "亚龙", "道顿",   "益而高", "新华"};

constexpr RegionTemplate kRegions[] = {
    // ID 1 (全国) comes with every new account set.
    {2, 1, "华东", ""},
    {3, 1, "华北", ""},
    {4, 1, "华南", ""},
    {5, 1, "华中", ""},
    {6, 1, "西南", ""},
    {7, 1, "西北", ""},
    {8, 1, "东北", ""},
    {10, 2, "上海", "上海"},
    {11, 2, "江苏", "南京 苏州 无锡 常州"},
    {12, 2, "浙江", "杭州 宁波 温州 绍兴"},
    {13, 2, "安徽", "合肥 芜湖"},
    {14, 2, "山东", "济南 青岛 烟台"},
    {15, 3, "北京", "北京"},
    {16, 3, "天津", "天津"},
    {17, 3, "河北", "石家庄 保定 唐山"},
    {18, 4, "广东", "广州 深圳 东莞 佛山"},
    {19, 4, "福建", "福州 厦门 泉州"},
    {20, 5, "湖北", "武汉 宜昌"},
    {21, 5, "湖南", "长沙 株洲"},
    {22, 5, "河南", "郑州 洛阳"},
    {23, 6, "四川", "成都 绵阳"},
    {24, 6, "重庆", "重庆"},
    {25, 7, "陕西", "西安 宝鸡"},
    {26, 8, "辽宁", "沈阳 大连"},
};

constexpr DepartmentTemplate kDepartments[] = {
    // ID 1 (公司总部) comes with every new account set.
    {2, 1, "总经办", 20000},    {3, 1, "行政部", 60000},    {4, 1, "财务部", 15000},
    {5, 1, "采购部", 15000},    {6, 1, "销售部", 40000},    {7, 1, "仓储部", 20000},
    {8, 1, "生产部", 0},        {9, 8, "一车间", 150000},   {10, 8, "二车间", 120000},
    {11, 6, "销售一组", 15000}, {12, 6, "销售二组", 15000},
};

constexpr const char *kSurnames[] = {
    "王", "李", "张", "刘", "陈", "杨", "黄", "赵", "吴", "周", "徐", "孙", "马", "朱", "胡",
    "郭", "何", "高", "林", "罗", "郑", "梁", "谢", "宋", "唐", "许", "韩", "冯", "邓", "曹",
    "彭", "曾", "肖", "田", "董", "袁", "潘", "于", "蒋", "蔡", "余", "杜", "叶", "程", "苏",
    "魏", "吕", "丁", "任", "沈", "姚", "卢", "姜", "崔", "钟", "谭", "陆", "汪", "范", "金"};

constexpr const char *kGivenCharacters[] = {
    "伟", "芳", "娜", "敏", "静", "丽", "强", "磊", "军", "洋", "勇", "艳", "杰", "娟", "涛",
    "明", "超", "秀", "霞", "平", "刚", "桂", "英", "华", "建", "文", "辉", "玲", "鹏", "飞",
    "斌", "宇", "浩", "凯", "红", "波", "鑫", "晨", "欣", "婷", "雪", "琳", "峰", "海", "俊",
    "颖", "倩", "亮", "成", "林", "志", "国", "燕", "春", "东", "新", "宁", "佳", "丹", "萍"};

constexpr const char *kTradeNames[] = {
    "华联", "宏达", "鑫源", "恒信", "永盛", "金桥", "东方", "新世纪", "大华", "瑞丰",
    "天成", "嘉禾", "中信", "博远", "利民", "盛世", "长城", "海天",   "星光", "明珠",
    "远航", "鼎盛", "万通", "同创", "汇通", "立信", "正泰", "隆昌",   "富源", "兴业",
    "润发", "安泰", "百川", "德邦", "华美", "宇通", "启明", "信达",   "欣悦", "卓越"};

constexpr const char *kCustomerTrades[] = {"商贸有限公司",
                                           "科技有限公司",
                                           "实业有限公司",
                                           "贸易有限公司",
                                           "物业管理有限公司",
                                           "酒店管理有限公司",
                                           "建筑工程有限公司",
                                           "电子有限公司",
                                           "物流有限公司",
                                           "文化传播有限公司",
                                           "超市",
                                           "办公用品经营部",
                                           "医疗器械有限公司",
                                           "教育咨询有限公司"};

constexpr const char *kSupplierTrades[] = {
    "纸业有限公司",   "文具有限公司",     "电子科技有限公司", "办公设备有限公司",
    "日用品有限公司", "钢材贸易有限公司", "化工有限公司",     "包装材料厂",
    "劳保用品厂",     "电脑有限公司",     "五金机电有限公司", "饮用水有限公司"};

constexpr const char *kStreets[] = {
    "人民路", "中山路", "解放路",   "建设路",   "长江路",   "黄河路", "和平路", "新华路", "光明路",
    "胜利路", "文化路", "工业大道", "科技园路", "滨江大道", "延安路", "南京路", "东风路"};

} // namespace

std::span<const CategoryTemplate> goodsCategories()
{
    return kCategories;
}

std::span<const GoodsTemplate> goodsCatalogue()
{
    return kGoods;
}

std::span<const char *const> goodsBrands()
{
    return kBrands;
}

std::span<const RegionTemplate> regions()
{
    return kRegions;
}

std::span<const DepartmentTemplate> departments()
{
    return kDepartments;
}

std::span<const char *const> surnames()
{
    return kSurnames;
}

std::span<const char *const> givenNameCharacters()
{
    return kGivenCharacters;
}

std::span<const char *const> tradeNames()
{
    return kTradeNames;
}

std::span<const char *const> customerTrades()
{
    return kCustomerTrades;
}

std::span<const char *const> supplierTrades()
{
    return kSupplierTrades;
}

std::span<const char *const> streets()
{
    return kStreets;
}

} // namespace demodata::Internal
