select a.code as code,a.aliascode,a.name,a.investtype,a.investstyle,a.fundtype,
	v2.value as value,v2.totalvalue as totalvalue,
	v1.value as previousvalue,v1.totalvalue as previoustotalvalue,
	v2.value/v1.value as p1,c.bonus/v1.value as p2, 
	0 as updown,0 as percent,
	a.createdate,d.name as company,
	(case e.buystate when 0 then '暂停' else '开放' end) as buystate,
    (case e.redeemstate when 0 then '暂停' else '开放' end) as redeemstate,
    a.pycode as pycode
from tb_fund a
left join tb_valuelist v1 on a.code=v1.code and v1.date=date('%s') and not v1.isdeleted 
left join tb_valuelist v2 on a.code=v2.code and v2.date=date('%s') and not v2.isdeleted 
left join tb_bonus c on c.code=a.code and c.currdate=date('%s') and not c.isdeleted 
left join tb_investadvisor d on a.companyguid = d.guid and not d.isdeleted
left join tb_buyredeemstate e on e.code=a.code and not e.isdeleted
where fundtype = '集合理财产品' and isdellisting = 0 and not a.isdeleted
order by a.code