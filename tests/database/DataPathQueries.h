// The page's three statements, word for word: the two valuation-date lookups and the product
// query as its "SQL"/"QUERY" resource holds it once decoded (CR LF line ends, tabs and blanks
// exactly as stored, no line end after the last line). Shared by the tests and the benchmark.
#pragma once

inline constexpr wchar_t kEndDateQuery[] =
    L"select date from tb_valuelist a left join tb_fund b on a.code = b.code and not b.isdeleted "
    L"where b.fundtype = '集合理财产品' and isdellisting = 0 and not a.isdeleted and date <= "
    L"date('%s') order by date desc limit 1 ";

inline constexpr wchar_t kBeginDateQuery[] =
    L"select date from tb_valuelist a left join tb_fund b on a.code = b.code and not b.isdeleted "
    L"where  b.fundtype = '集合理财产品' and isdellisting = 0 and not a.isdeleted and date < "
    L"date('%s') order by date desc limit 1 ";

inline constexpr wchar_t kProductQuery[] =
    L"select a.code as code,a.aliascode,a.name,a.investtype,a.investstyle,a.fundtype,\r\n"
    L"\tv2.value as value,v2.totalvalue as totalvalue,\r\n"
    L"\tv1.value as previousvalue,v1.totalvalue as previoustotalvalue,\r\n"
    L"\tv2.value/v1.value as p1,c.bonus/v1.value as p2, \r\n"
    L"\t0 as updown,0 as percent,\r\n"
    L"\ta.createdate,d.name as company,\r\n"
    L"\t(case e.buystate when 0 then '暂停' else '开放' end) as buystate,\r\n"
    L"    (case e.redeemstate when 0 then '暂停' else '开放' end) as redeemstate,\r\n"
    L"    a.pycode as pycode\r\n"
    L"from tb_fund a\r\n"
    L"left join tb_valuelist v1 on a.code=v1.code and v1.date=date('%s') and not v1.isdeleted \r\n"
    L"left join tb_valuelist v2 on a.code=v2.code and v2.date=date('%s') and not v2.isdeleted \r\n"
    L"left join tb_bonus c on c.code=a.code and c.currdate=date('%s') and not c.isdeleted \r\n"
    L"left join tb_investadvisor d on a.companyguid = d.guid and not d.isdeleted\r\n"
    L"left join tb_buyredeemstate e on e.code=a.code and not e.isdeleted\r\n"
    L"where fundtype = '集合理财产品' and isdellisting = 0 and not a.isdeleted\r\n"
    L"order by a.code";
