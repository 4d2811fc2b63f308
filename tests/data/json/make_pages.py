#!/usr/bin/env python3
"""Writes the two 20-record answer pages used by the JSON tests and benchmark.

The pages imitate what the map services send: the Baidu page escapes every
non-ASCII character as \\uXXXX and "/" as "\\/", the Amap page carries raw UTF-8
and only strings. Run it from anywhere; it rewrites baidu_page.json and
amap_page.json beside itself. The output is deterministic.
"""
import json
import os
import random

HERE = os.path.dirname(os.path.abspath(__file__))

BAIDU_SHOPS = [
    # name, address, area, telephone (None: no tel member), navi_x, navi_y, tag
    ("苏果超市(中山北路店)", "南京市鼓楼区中山北路281号", "南京市鼓楼区", "(025)85339928,13913908128", "13224852.37", "3756067.55", "购物;超市"),
    ("华润苏果便利店(热河路店)", "南京市下关区热河路58号", "南京市下关区", "13813912345", "13221035.12", "3758120.44", "购物;便利店"),
    ("大润发(中央门店)", "南京市鼓楼区中央路399号", "南京市鼓楼区", "(025)83123456", "13225790.08", "3757321.90", "购物;超市"),
    ("苏宁小店(湖南路店)", "南京市鼓楼区湖南路1\u002f3号", "南京市鼓楼区", None, "0", "0", "购物;便利店"),
    ("好又多超市", "南京市下关区建宁路300号", "南京市下关区", "15951812345", "13222310.45", "3758870.02", "购物;超市"),
    ("家乐福(新街口店)", "南京市秦淮区汉中路2号", "南京市秦淮区", "(025)84701234,(025)84705678", "13225021.66", "3753912.31", "购物;超市"),
    ("欧尚超市(龙江店)", "南京市鼓楼区江东北路88号", "南京市鼓楼区", "18951712345", "0", "0", "购物;超市"),
    ("水果🍎超市", "南京市玄武区珠江路438号", "南京市玄武区", "13770612345", "13226644.18", "3755433.87", "购物;超市"),
    ("永辉超市(金鹰店)", "南京市建邺区应天大街888号", "南京市建邺区", "(025)86891234", "13223012.73", "3751102.56", "购物;超市"),
    ("便利蜂(挹江门店)", "南京市鼓楼区中山北路346号", "南京市鼓楼区", None, "13222980.40", "3757002.13", "购物;便利店"),
    ("罗森(云南路店)", "南京市鼓楼区云南路31号", "南京市鼓楼区", "17714412345", "13224310.29", "3755520.76", "购物;便利店"),
    ("盒马鲜生(虹悦城店)", "南京市雨花台区应天大街619号虹悦城B1", "南京市雨花台区", "(025)52361234", "13223550.91", "3750231.08", "购物;超市"),
    ("十足便利店(三牌楼店)", "南京市鼓楼区三牌楼大街12号", "南京市鼓楼区", "13057512345", "0", "0", "购物;便利店"),
    ("苏果社区店(幕府西路店)", "南京市鼓楼区幕府西路6号", "南京市鼓楼区", "025-58801234", "13224001.54", "3760114.22", "购物;超市"),
    ("金润发超市", "南京市栖霞区和燕路251号", "南京市栖霞区", "13951012345,15205112345", "13227712.06", "3759230.47", "购物;超市"),
    ("易买得超市", "南京市秦淮区中山南路1号", "南京市秦淮区", "(025)84651234", "13225200.35", "3753402.68", "购物;超市"),
    ("世纪联华(河西店)", "南京市建邺区江东中路222号", "南京市建邺区", None, "13222611.78", "3752005.93", "购物;超市"),
    ("7-ELEVEn(新模范马路店)", "南京市鼓楼区新模范马路5号", "南京市鼓楼区", "18061712345", "13224701.10", "3758401.51", "购物;便利店"),
    ("华联超市", "南京市下关区盐仓桥东街12号", "南京市下关区", "(025)58501234", "13221880.63", "3757711.04", "购物;超市"),
    ("麦德龙(仙林店)", "南京市栖霞区仙林大道9号", "南京市栖霞区", "13505112345", "13236522.87", "3758890.15", "购物;超市"),
]

AMAP_SHOPS = [
    # id, name, address, telephone, adcode, area code, longitude, latitude, type
    ("B00140DU7A", "好又多(海珠店)", "江南大道中123号", "020-84417850", "440105", "海珠区", "113.264485", "23.106612", "购物服务;超市;超市"),
    ("B00140N5XR", "华润万家(天河店)", "天河路208号", "020-38781234;13802912345", "440106", "天河区", "113.324520", "23.137901", "购物服务;超市;华润万家"),
    ("B0FFFAB6J2", "钱大妈(东晓南店)", "东晓南路1290号", "13926012345", "440105", "海珠区", "113.290131", "23.085402", "购物服务;超市;超市"),
    ("B00141IHRZ", "百佳超市(江南西店)", "江南西路38号", "020-84401234", "440105", "海珠区", "113.270923", "23.098510", "购物服务;超市;超市"),
    ("B0FFG4KXQ8", "美宜佳(昌岗店)", "昌岗中路166号", "", "440105", "海珠区", "113.279416", "23.099001", "购物服务;便民商店/便利店;美宜佳"),
    ("B00140Y0GQ", "永辉超市(越秀店)", "中山五路68号", "020-83301234", "440104", "越秀区", "113.269830", "23.127102", "购物服务;超市;永辉超市"),
    ("B0FFHG1A2B", "7-Eleven(北京路店)", "北京路238号", "13711112345", "440104", "越秀区", "113.271003", "23.124498", "购物服务;便民商店/便利店;7-ELEVEn"),
    ("B00141AAC5", "易初莲花(荔湾店)", "中山八路10号", "020-81701234;020-81705678", "440103", "荔湾区", "113.241210", "23.126503", "购物服务;超市;超市"),
    ("B0FFF7QW3E", "天虹超市(白云店)", "白云大道北1689号", "15915712345", "440111", "白云区", "113.272398", "23.190244", "购物服务;超市;超市"),
    ("B00140ZZ9K", "吉之岛(天河城店)", "天河路208号天河城B1", "020-85591234", "440106", "天河区", "113.322105", "23.132710", "购物服务;超市;超市"),
    ("B0FFJ0LM4N", "便利蜂(珠江新城店)", "花城大道85号", "", "440106", "天河区", "113.325940", "23.119822", "购物服务;便民商店/便利店;便利店"),
    ("B00141QT6Y", "家乐福(番禺店)", "市桥街繁华路3号", "020-84831234", "440113", "番禺区", "113.364418", "22.940310", "购物服务;超市;家乐福"),
    ("B0FFK2RS7T", "盒马鲜生(正佳店)", "天河路228号正佳广场B2", "13631412345", "440106", "天河区", "113.327201", "23.132560", "购物服务;超市;盒马鲜生"),
    ("B00140UV8W", "沃尔玛(黄埔店)", "黄埔东路2868号", "020-82201234", "440112", "黄埔区", "113.458002", "23.103311", "购物服务;超市;沃尔玛"),
    ("B0FFL5XY9Z", "快客便利(花都店)", "新华路118号", "18620012345", "440114", "花都区", "113.220519", "23.403982", "购物服务;便民商店/便利店;快客"),
    ("B00141BC2D", "惠润超市", "石井大道22号", "020-86001234", "440111", "白云区", "113.221004", "23.201430", "购物服务;超市;超市"),
    ("B0FFM8EF3G", "壹加壹超市(南沙店)", "进港大道12号", "13510512345;020-39001234", "440115", "南沙区", "113.525011", "22.801245", "购物服务;超市;超市"),
    ("B00140HI4J", "天福便利店(增城店)", "荔城街府佑路8号", "", "440118", "增城区", "113.810024", "23.290117", "购物服务;便民商店/便利店;天福"),
    ("B0FFN1KL5M", "大润发(从化店)", "河滨北路63号", "020-87901234", "440117", "从化区", "113.586610", "23.548820", "购物服务;超市;大润发"),
    ("B00141NO6P", "华润万家(海珠广场店)", "泰康路1号", "13826012345", "440104", "越秀区", "113.271488", "23.117903", "购物服务;超市;华润万家"),
]


def baidu_record(i, shop, rng):
    name, addr, area, tel, navi_x, navi_y, tag = shop
    x = int(float(navi_x) * 100) if navi_x != "0" else 1322480000 + i * 1733
    y = int(float(navi_y) * 100) if navi_y != "0" else 375600000 + i * 911
    uid = "%024x" % rng.getrandbits(96)
    record = {
        "acc_flag": 0,
        "addr": addr,
        "alias": [],
        "area": 315,
        "area_name": area,
        "biz_type": 0,
        "catalogID": 0,
        "cla": [[2, tag.split(";")[1]]],
        "detail": 1,
        "diPointX": x,
        "diPointY": y,
        "di_tag": tag.replace(";", " "),
        "dis": -1,
        "ext": {
            "detail_info": {
                "image": "http://map.example.cn/poi/img/%s.jpg" % uid[:12],
                "overall_rating": "%.1f" % (3.5 + rng.random() * 1.5),
                "price": "0",
                "shop_hours": "08:00-22:00",
                "tag": tag,
            },
            "src_name": "shopping",
        },
        "geo": "1|%s,%s;%s,%s|" % (navi_x, navi_y, navi_x, navi_y),
        "geo_type": 2,
        "name": name,
        "navi_x": navi_x,
        "navi_y": navi_y,
        "new_catalog_id": "02030100",
        "poiType": 0,
        "primary_uid": "0",
        "std_tag": tag,
        "storage_src": "api",
        "street_id": "",
        "ty": 0,
        "uid": uid,
        "view_type": 0,
        "x": x,
        "y": y,
    }
    if tel is not None:
        record["tel"] = tel
    return dict(sorted(record.items()))


def baidu_page():
    rng = random.Random(315)
    content = [baidu_record(i, shop, rng) for i, shop in enumerate(BAIDU_SHOPS)]
    page = {
        "content": content,
        "current_city": {
            "code": 315, "geo": "1|13225059.82,3753787.73;13225059.82,3753787.73|", "level": 12,
            "name": "南京市", "sup": 1, "sup_bus": 1, "sup_business_area": 1, "sup_lukuang": 1,
            "sup_subway": 1, "type": 2, "up_province_name": "江苏省",
        },
        "result": {
            "aladin_res_json": "", "auto_result": 0, "catalogID": 0, "count": 20,
            "current_null": 0, "db": 0, "debug": 0, "jump_back": 0, "loc_attr": 0,
            "op_gel": 1, "page_num": 0, "pattern_sign": 0, "qid": "11602836521348921035",
            "return_query": "超市", "spec_dispnum": 0, "sug_index": -1, "time": 0,
            "total": 57, "tp": "", "type": 11, "wd": "超市", "what": "超市",
        },
    }
    text = json.dumps(page, ensure_ascii=True, separators=(",", ":"))
    return text.replace("/", "\\/")


def amap_record(shop, rng):
    pid, name, addr, tel, adcode, district, lng, lat, typ = shop
    return {
        "id": pid,
        "name": name,
        "disp_name": name,
        "address": addr,
        "tel": tel,
        "cityname": "广州市",
        "adcode": adcode,
        "areacode": "020",
        "district": district,
        "longitude": lng,
        "latitude": lat,
        "typecode": "060400" if "超市" in typ.split(";")[1] else "060200",
        "type": typ,
        "distance": "",
        "rating": "%.1f" % (3.5 + rng.random() * 1.5),
        "price": "",
        "shopinfo": "0",
        "entrances": [{"latitude": "%.6f" % (float(lat) + 0.0002), "longitude": "%.6f" % (float(lng) - 0.0001)}],
        "domain_list": [
            {"id": "1015", "name": "photo", "type": "array", "value": ""},
            {"id": "1016", "name": "business_area", "type": "text", "value": district},
        ],
        "pic_info": [{"url": "http://store.is.example.com/showpic/%s.jpg" % pid.lower(), "title": ""}],
        "template_data": {"pic_info": "1", "rating": "1", "tag": typ.split(";")[-1]},
    }


def amap_page():
    rng = random.Random(440100)
    page = {
        "status": "1",
        "searchOpt": {
            "keyword": "超市", "city": "440100", "pageIndex": "1", "pageSize": "20",
            "user_loc": "", "qii": "true", "cluster_state": "5", "zoom": "12",
        },
        "data": {
            "code": "1",
            "result": "true",
            "total": "128",
            "message": "Successful.",
            "keywords": "超市",
            "lqii": {"cache_directive": {"cache_all": {"flag": "1", "expires": "24"}}, "render_name_flag": "1"},
            "suggestion": {"keywords": [], "regions": []},
            "poi_list": [amap_record(shop, rng) for shop in AMAP_SHOPS],
        },
    }
    return json.dumps(page, ensure_ascii=False, separators=(",", ":"))


def write(name, text):
    with open(os.path.join(HERE, name), "w", encoding="utf-8", newline="") as out:
        out.write(text)


if __name__ == "__main__":
    write("baidu_page.json", baidu_page())
    write("amap_page.json", amap_page())
